#pragma once
// A push button: state images and text colours for the normal, hot, pushed,
// focused and disabled looks, "click" on a release inside it, and keyboard
// activation with space and enter.

#include "ui/controls/label.h"
#include "ui/controls/press_behavior.h"

namespace SkinUI {

class CButtonUI : public CLabelUI {
 public:
  CButtonUI();

  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
  UINT ControlFlags() const override;
  // Sends "click" when the control can act.
  bool Activate() override;
  // Disabling clears every state bit but the selection.
  void SetEnabled(bool enabled = true) override;
  void HandleEvent(TControlEvent& event) override;
  void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
  SIZE PreferredSize(SIZE available) override;
  void PaintStateImage(HDC dc) override;
  void PaintTextLayer(HDC dc) override;
  DWORD AccessibleRole() const override;
  DWORD AccessibleOwnState() const override;
  CWideStringUI AccessibleDefaultAction() const override;
  // A click: "click" when the button can act.
  bool DoAccessibleDefaultAction() override;

  // ButtonState bits.
  UINT GetButtonState() const { return press.State(); }

  const CWideStringUI& GetNormalImage() const { return normalImage; }
  void SetNormalImage(const wchar_t* image);
  const CWideStringUI& GetHotImage() const { return hotImage; }
  void SetHotImage(const wchar_t* image);
  const CWideStringUI& GetPushedImage() const { return pushedImage; }
  void SetPushedImage(const wchar_t* image);
  const CWideStringUI& GetFocusedImage() const { return focusedImage; }
  void SetFocusedImage(const wchar_t* image);
  const CWideStringUI& GetDisabledImage() const { return disabledImage; }
  void SetDisabledImage(const wchar_t* image);
  // 0 = not used.
  DWORD GetHotTextColor() const { return hotTextColor; }
  void SetHotTextColor(DWORD color);
  DWORD GetPushedTextColor() const { return pushedTextColor; }
  void SetPushedTextColor(DWORD color);
  DWORD GetFocusedTextColor() const { return focusedTextColor; }
  void SetFocusedTextColor(DWORD color);

 protected:
  // The focused and disabled bits follow the control at every paint.
  void RefreshStateBits();
  // The image of the first state that applies, or null.
  CWideStringUI* StateImage();
  void ChangeImage(CWideStringUI& field, const wchar_t* image);
  void ChangeColor(DWORD& field, DWORD color);

  CPressBehaviorUI press;
  DWORD hotTextColor = 0;
  DWORD pushedTextColor = 0;
  DWORD focusedTextColor = 0;
  CWideStringUI normalImage;
  CWideStringUI hotImage;
  CWideStringUI pushedImage;
  CWideStringUI focusedImage;
  CWideStringUI disabledImage;
};

}  // namespace SkinUI
