#pragma once
// A check box or radio button built on the button: a selected flag with its
// own image and text colour, a fore image, and named groups kept by the
// window in which selecting one member switches the others off.

#include "ui/controls/button.h"

namespace SkinUI {

class COptionUI : public CButtonUI {
 public:
  COptionUI();
  // Leaves its group.
  ~COptionUI() override;

  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
  // Leaves its group with the old window and joins it with the new one.
  void BindManager(IControlHostUI* manager, CControlUI* parent, bool init = true) override;
  // "click", then selects (in a group) or toggles (without one).
  bool Activate() override;
  // In a group the arrow keys move to the previous or next member and
  // select it, as a click on it would.
  void HandleEvent(TControlEvent& event) override;
  void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
  void PaintStateImage(HDC dc) override;
  void PaintTextLayer(HDC dc) override;
  // A radio button in a group, a check box without one.
  DWORD AccessibleRole() const override;
  DWORD AccessibleOwnState() const override;
  CWideStringUI AccessibleDefaultAction() const override;
  // Selects the option as a click on it would, when it is not selected.
  bool SelectForAccessibility() override;

  bool IsSelected() const { return selected; }
  // Tab reaches a group once, at its selected member (the arrows move on
  // from there); while no member that can take focus is selected, at each.
  bool IsTabStop() const override;
  // Selecting a grouped option switches the other members off silently and
  // sends "selectchanged" from this one; without a group every change is
  // reported.
  void SetSelected(bool value);
  const CWideStringUI& GetGroup() const { return group; }
  // Null or empty clears the group.
  void SetGroup(const wchar_t* name);

  DWORD GetSelectedTextColor() const { return selectedTextColor; }
  void SetSelectedTextColor(DWORD color);
  const CWideStringUI& GetSelectedImage() const { return selectedImage; }
  void SetSelectedImage(const wchar_t* image);
  const CWideStringUI& GetForeImage() const { return foreImage; }
  void SetForeImage(const wchar_t* image);

 private:
  void DeselectOtherMembers();
  // The nearest member before or after this one that is shown and enabled
  // (round the group's end), or null.
  COptionUI* NeighbourInGroup(bool forward) const;
  static COptionUI* ReachableMember(void* member);

  bool selected = false;
  CWideStringUI group;
  DWORD selectedTextColor = 0;
  CWideStringUI selectedImage;
  CWideStringUI foreImage;
};

}  // namespace SkinUI
