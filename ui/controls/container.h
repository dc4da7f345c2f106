#pragma once
// A control that owns an ordered list of children: adding, inserting,
// removing and moving them, showing and hiding them with itself, searching
// and hit-testing through them, placing float children, painting them under
// clips, and scrolling them with optional vertical and horizontal bars.
//
// A plain container stacks every flowing child over its whole inner
// rectangle; the layouts and the list derive from it and replace only the
// placement.

#include <windows.h>

#include <memory>
#include <vector>

#include "ui/controls/control.h"
#include "ui/core/pointer_array.h"

namespace SkinUI {

class CScrollBarUI;

// The child list of a container, as other code asks for it through
// InterfaceFor("IContainer").
class IContainerUI {
 public:
  // Null outside 0 ... count - 1.
  virtual CControlUI* ChildAt(int index) const = 0;
  // -1 when not a child.
  virtual int IndexOfChild(CControlUI* control) const = 0;
  virtual bool MoveChildTo(CControlUI* control, int index) = 0;
  virtual int GetCount() const = 0;
  virtual bool Add(CControlUI* control) = 0;
  virtual bool InsertAt(CControlUI* control, int index) = 0;
  // False when not a child; nothing is destroyed then.
  virtual bool Remove(CControlUI* control) = 0;
  virtual bool RemoveAt(int index) = 0;
  virtual void RemoveAll() = 0;

 protected:
  ~IContainerUI() = default;
};

class CContainerUI : public CControlUI, public IContainerUI {
 public:
  CContainerUI();
  ~CContainerUI() override;

  CControlUI* ChildAt(int index) const override;
  int IndexOfChild(CControlUI* control) const override;
  // An index past either end moves the child to that end.
  bool MoveChildTo(CControlUI* control, int index) override;
  int GetCount() const override;
  bool Add(CControlUI* control) override;
  bool InsertAt(CControlUI* control, int index) override;
  bool Remove(CControlUI* control) override;
  bool RemoveAt(int index) override;
  void RemoveAll() override;

  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
  void BindManager(IControlHostUI* manager, CControlUI* parent, bool init = true) override;
  void SetBounds(const RECT& rect) override;
  void SetVisible(bool visible = true) override;
  // Shows or hides every child with the container, even those hidden on their own.
  void SetInnerVisible(bool visible = true) override;
  void SetMouseEnabled(bool enabled = true) override;
  CControlUI* FindInTree(FindControlProc test, LPVOID data, UINT flags) override;
  void HandleEvent(TControlEvent& event) override;
  void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
  void Paint(HDC dc, const RECT& dirty) override;
  DWORD AccessibleRole() const override;
  // The children, then the scroll bars.
  int AccessibleChildCount() const override;
  CControlUI* AccessibleChildAt(int index) const override;

  virtual RECT GetInset() const;
  virtual void SetInset(const RECT& inset);
  virtual int GetChildPadding() const;
  virtual void SetChildPadding(int padding);
  virtual bool IsAutoDelete() const;
  virtual void SetAutoDelete(bool on);
  virtual bool IsDeferredDelete() const;
  virtual void SetDeferredDelete(bool on);
  virtual bool IsMouseChildEnabled() const;
  virtual void SetMouseChildEnabled(bool on);
  // Index of the nearest visible, enabled list item from index on in the
  // given direction; -1 when there is none.
  virtual int NearestSelectable(int index, bool forward);

  // cx = horizontal, cy = vertical position; a missing or hidden bar counts 0.
  virtual SIZE GetScrollPos() const;
  virtual SIZE GetScrollRange() const;
  // Each visible bar clamps; flowing children are moved by the change.
  virtual void SetScrollPos(SIZE pos);
  virtual void ScrollLineUp();
  virtual void ScrollLineDown();
  virtual void ScrollPageUp();
  virtual void ScrollPageDown();
  virtual void ScrollToTop();
  virtual void ScrollToBottom();
  virtual void ScrollLineLeft();
  virtual void ScrollLineRight();
  virtual void ScrollPageLeft();
  virtual void ScrollPageRight();
  virtual void ScrollToLeftEdge();
  virtual void ScrollToRightEdge();
  // False destroys a bar; true creates one with the window's class defaults
  // ("VScrollBar" / "HScrollBar").
  virtual void ShowScrollBars(bool vertical, bool horizontal);
  virtual CScrollBarUI* VerticalScrollBar() const;
  virtual CScrollBarUI* HorizontalScrollBar() const;

  // Places a visible float child by its fixed offset and size, moved and
  // grown by its relative position when the container's size changed.
  virtual void PlaceFloatChild(int index);
  // Called by layouts after placing children in rect with the content size
  // they need: shows, sizes or hides the bars, and may lay out again.
  virtual void UpdateScrollBars(const RECT& rect, int cxRequired, int cyRequired);

 protected:
  // The container's own children. The child-list interface may stand for
  // something else in a derived class (a list answers it with its rows), so
  // the container's own work walks these.
  int OwnCount() const { return items.GetSize(); }
  CControlUI* OwnChild(int index) const { return static_cast<CControlUI*>(items.GetAt(index)); }

  // The item rectangle shrunk by the inset.
  CRectUI InnerRect() const;
  // The inner rectangle less the visible bars.
  CRectUI ClientRect() const;
  // rect less the visible bars at its right and bottom.
  CRectUI WithoutBars(const CRectUI& rect) const;
  static bool IsShownBar(const CScrollBarUI* bar);
  // A bar's thickness in the window's pixels.
  int DeviceBarWidth(const CScrollBarUI* bar) const;
  int DeviceBarHeight(const CScrollBarUI* bar) const;
  // Raised to the child's minimum, then lowered to its maximum.
  static int ClampHeight(const CControlUI& child, int height);
  static int ClampWidth(const CControlUI& child, int width);
  // Moves the scroll position by (dx, dy) from where it is.
  void ScrollBy(int dx, int dy);
  // The change a line step makes vertically: the default font height plus 8.
  int LineHeight() const;
  // What a page step moves: the inner size less a visible bar across it.
  int PageHeight() const;
  int PageWidth() const;

  CPointerArrayUI items;
  CRectUI inset;
  int childPadding = 0;
  bool autoDestroy = true;
  bool delayedDestroy = true;
  bool mouseChildEnabled = true;
  bool scrollProcessing = false;
  std::unique_ptr<CScrollBarUI> verticalScrollBar;
  std::unique_ptr<CScrollBarUI> horizontalScrollBar;

 private:
  std::vector<RECT> childBounds;
  unsigned childBoundsVersion = 0;

  void DestroyChild(CControlUI* child);
  void DestroyAllChildren();
  // The children's rectangles, copied for hit tests when there are many.
  const std::vector<RECT>& ChildBounds();
  std::unique_ptr<CScrollBarUI> CreateScrollBar(bool horizontal);
  void PaintChildren(HDC dc, const RECT& dirty);
  bool HandleScrollKeys(const TControlEvent& event, bool vertical);
};

}  // namespace SkinUI
