#pragma once
// The base of every element of a skinned window: geometry and layout
// constraints, colours, background image, border, text, tooltip and flags;
// the common markup attributes; the paint sequence; the events every control
// understands; and the repaint and re-layout requests that follow a change.
//
// A control reaches its window only through IControlHostUI. Everything
// runs on the window's thread.

#include <windows.h>

#include "ui/core/control_event.h"
#include "ui/core/control_flags.h"
#include "ui/core/delegate_list.h"
#include "ui/core/geometry.h"
#include "ui/core/control_host.h"
#include "ui/core/notify.h"
#include "ui/core/wide_string.h"

namespace SkinUI {

// The deepest control tree the framework builds or accepts, counted in
// controls from the root to the deepest leaf. Every walk over a tree (layout,
// paint, hit test, events handed to parents, destruction, the skin builder)
// recurses once per level, and at this depth all of them stay well inside the
// program's stack on both the 32-bit and the 64-bit build.
constexpr int kMaxTreeDepth = 1000;

// Proportional moving and growing of a float control when its parent resizes:
// the parent size last seen, and percentages of the change.
struct TRelativePosUI {
  bool relative = false;
  CSizeUI parentSize;
  int moveX = 0;
  int moveY = 0;
  int zoomX = 0;
  int zoomY = 0;
};

// A part of a control that a screen reader sees as an element of its own
// but that is no control (a row's check box).
struct TAccessiblePartUI {
  DWORD role = 0;
  CWideStringUI name;
  DWORD state = 0;
  CWideStringUI defaultAction;
  RECT bounds = {};
};

class CControlUI {
 public:
  CControlUI();
  CControlUI(const CControlUI&) = delete;
  CControlUI& operator=(const CControlUI&) = delete;
  virtual ~CControlUI();

  virtual CWideStringUI GetName() const;
  virtual void SetName(const wchar_t* name);
  virtual const wchar_t* ClassName() const;
  // This control seen as the named interface ("Control", "Button" ...), or null.
  virtual void* InterfaceFor(const wchar_t* name);
  virtual UINT ControlFlags() const;
  // Whether Tab stops here now; by default, where the flags ask for it.
  virtual bool IsTabStop() const;
  // Performs the control's action as if clicked; the base only tells whether
  // the control could act (visible and enabled).
  virtual bool Activate();

  virtual IControlHostUI* GetManager() const;
  // The window's fonts, images and colours; null without a window.
  ISkinResourcesUI* Resources() const;
  // One rule for every number: what the skin sets (sizes, offsets, paddings,
  // insets, borders, corners) goes in and comes back out logical, at 96 DPI,
  // so code may read a value and write it back. Where the control lies
  // (Bounds, GetX/Y/Width/Height) is the outcome of layout and, like mouse
  // points, in the window's pixels. Only layout and paint turn logical
  // numbers into pixels, with this scale (identity without a window).
  CDpiScaleUI Scale() const;
  virtual void BindManager(IControlHostUI* manager, CControlUI* parent, bool init = true);
  virtual CControlUI* GetParent() const;
  // Levels of the tree from this control down: 1 for a leaf. Containers keep
  // it as children arrive; it does not shrink when they leave.
  int SubtreeDepth() const { return subtreeDepth; }
  // Levels from the root of the tree this control hangs in down to it: 1 for
  // a control without a parent.
  int DepthInTree() const;

  virtual CWideStringUI GetText() const;
  virtual void SetText(const wchar_t* text);

  virtual const RECT& Bounds() const;
  virtual void SetBounds(const RECT& rect);
  virtual int GetWidth() const;
  virtual int GetHeight() const;
  virtual int GetX() const;
  virtual int GetY() const;
  virtual RECT GetPadding() const;
  virtual void SetPadding(const RECT& padding);
  virtual SIZE FixedOffset() const;
  virtual void SetFixedOffset(SIZE offset);
  virtual int GetFixedWidth() const;
  virtual void SetFixedWidth(int width);
  virtual int GetFixedHeight() const;
  virtual void SetFixedHeight(int height);
  virtual int GetMinWidth() const;
  virtual void SetMinWidth(int width);
  virtual int GetMaxWidth() const;
  virtual void SetMaxWidth(int width);
  virtual int GetMinHeight() const;
  virtual void SetMinHeight(int height);
  virtual int GetMaxHeight() const;
  virtual void SetMaxHeight(int height);
  virtual void SetRelativePos(int moveX, int moveY, int zoomX, int zoomY);
  virtual void SetRelativeBaseSize(SIZE parentSize);
  virtual TRelativePosUI GetRelativePos() const;
  virtual bool IsRelativePos() const;

  virtual CWideStringUI GetToolTip() const;
  virtual void SetToolTip(const wchar_t* text);
  virtual wchar_t GetShortcut() const;
  virtual void SetShortcut(wchar_t ch);
  virtual bool IsMenuEnabled() const;
  virtual void SetMenuEnabled(bool enabled);
  virtual const CWideStringUI& GetUserData() const;
  virtual void SetUserData(const wchar_t* text);
  virtual UINT_PTR Tag() const;
  virtual void SetTag(UINT_PTR tag);

  // The control's own flag only; whether the parents show it is IsInnerVisible.
  virtual bool IsVisible() const;
  virtual bool IsInnerVisible() const;
  virtual void SetVisible(bool visible = true);
  virtual void SetInnerVisible(bool visible = true);
  virtual bool IsEnabled() const;
  virtual void SetEnabled(bool enabled = true);
  virtual bool IsMouseEnabled() const;
  virtual void SetMouseEnabled(bool enabled = true);
  virtual bool IsKeyboardEnabled() const;
  virtual void SetKeyboardEnabled(bool enabled = true);
  virtual bool IsFocused() const;
  virtual void SetFocus();
  virtual bool IsFloat() const;
  virtual void SetFloat(bool isFloat = true);

  // The first control for which test answers non-null, honouring the Find* flags.
  virtual CControlUI* FindInTree(FindControlProc test, LPVOID data, UINT flags);
  virtual void Initialize();
  virtual void OnInitialize();
  // Event hooks see the event first; when all accept it, HandleEvent runs.
  virtual void RouteEvent(TControlEvent& event);
  virtual void HandleEvent(TControlEvent& event);

  virtual void ApplyAttribute(const wchar_t* name, const wchar_t* value);
  virtual SIZE PreferredSize(SIZE available);

  virtual void Paint(HDC dc, const RECT& dirty);
  virtual void PaintBackColor(HDC dc);
  virtual void PaintBackImage(HDC dc);
  virtual void PaintStateImage(HDC dc);
  virtual void PaintTextLayer(HDC dc);
  virtual void PaintOutline(HDC dc);
  // Runs after the whole tree for controls registered with AddOverlayPainter.
  virtual void PaintOverlay(HDC dc, const RECT& dirty);
  // Where the window draws the keyboard focus indicator while this control
  // has the focus: the item rectangle, or the part of it the focus is on.
  virtual RECT FocusIndicatorRect() const;

  void Invalidate();
  void RequestRelayout();
  void RequestParentRelayout();
  bool IsRelayoutPending() const { return updateNeeded; }

  // Applies `name="value" name="value"` pairs in order; stops silently at the
  // first malformed pair.
  void ApplyAttributeText(const wchar_t* list);
  // Draws an image string over the item rectangle, clipped to the paint
  // rectangle; false when the image cannot be obtained.
  bool PaintImageSpec(HDC dc, const wchar_t* image, const wchar_t* modifier = nullptr);
  // The colour itself, or shifted by the process-wide hue, saturation and
  // lightness when colour HSL is on.
  DWORD AdjustedColor(DWORD color) const;

  // Appearance: each invalidates when the value changes.
  DWORD GetBkColor() const { return backColor; }
  void SetBkColor(DWORD color);
  DWORD GetBkColor2() const { return backColor2; }
  void SetBkColor2(DWORD color);
  DWORD GetBkColor3() const { return backColor3; }
  void SetBkColor3(DWORD color);
  const CWideStringUI& GetBkImage() const { return backImage; }
  void SetBkImage(const wchar_t* image);
  DWORD GetBorderColor() const { return borderColor; }
  void SetBorderColor(DWORD color);
  DWORD GetFocusBorderColor() const { return focusBorderColor; }
  void SetFocusBorderColor(DWORD color);
  bool IsColorHSL() const { return colorHSL; }
  void SetColorHSL(bool on);
  int GetBorderSize() const { return borderSize; }
  void SetBorderSize(int size);
  SIZE GetBorderRound() const { return borderRound; }
  // Invalidates always.
  void SetBorderRound(int cx, int cy);

  // What a screen reader is told about the control; roles and states are
  // the platform's ROLE_SYSTEM_* and STATE_SYSTEM_* values. Classes override
  // only what differs from the base.
  virtual DWORD AccessibleRole() const;
  // The skin's "accessiblename", else the text (markup read as plain text),
  // else the tooltip.
  virtual CWideStringUI AccessibleName();
  virtual CWideStringUI AccessibleDescription();
  virtual CWideStringUI AccessibleValue() const;
  // The states of the class on top of the shared ones of AccessibleState.
  virtual DWORD AccessibleOwnState() const;
  // Empty when the control has no default action.
  virtual CWideStringUI AccessibleDefaultAction() const;
  // Does what a click does; false when the control has no action or cannot
  // act now.
  virtual bool DoAccessibleDefaultAction();
  // A reader's selection: false when the control cannot be selected.
  virtual bool SelectForAccessibility();
  // The controls a reader sees inside this one, in order.
  virtual int AccessibleChildCount() const;
  virtual CControlUI* AccessibleChildAt(int index) const;
  // A level that readers do not see: its children count as its parent's.
  virtual bool IsAccessibleLevel() const { return true; }
  // Parts that are no controls, numbered from 1.
  virtual int AccessiblePartCount() const { return 0; }
  virtual bool DescribeAccessiblePart(int part, TAccessiblePartUI& description) const;
  virtual bool DoAccessiblePartAction(int part);
  // Focused, focusable, unavailable, invisible and offscreen, plus the
  // class's own states.
  DWORD AccessibleState() const;
  // Tells screen readers of a change (an EVENT_OBJECT_* value).
  void NotifyAccessibility(DWORD event);
  void SetAccessibleName(const wchar_t* text);
  void SetAccessibleDescription(const wchar_t* text);
  const CWideStringUI& GetAccessibleName() const { return accessibleName; }

  // How the focus indicator looks on this control: empty takes the window's
  // style, "none" hides it; otherwise the words of the window's "focusrect".
  const CWideStringUI& GetFocusRectStyle() const { return focusRectStyle; }
  void SetFocusRectStyle(const wchar_t* style);

  // Hooks: owned listeners; the program itself registers none.
  DelegateList& InitHooks() { return initHooks; }
  DelegateList& DestroyHooks() { return destroyHooks; }
  DelegateList& SizeHooks() { return sizeHooks; }
  DelegateList& EventHooks() { return eventHooks; }
  // Fired by the window before the listeners for notifications this control sends.
  DelegateList& NotifyHooks() { return notifyHooks; }

  // The area painted by the current Paint: dirty area within the item rectangle.
  const RECT& PaintRect() const { return paintRect; }

 protected:
  // Stores value in field; true when that changed it.
  template <typename T>
  static bool Change(T& field, T value) {
    if (field == value) return false;
    field = value;
    return true;
  }
  // Appearance setters: store, and repaint only when something changed.
  template <typename T>
  void ChangeAndInvalidate(T& field, T value) {
    if (Change(field, value)) Invalidate();
  }

  // The mouse in window coordinates as the window last saw it; (-1, -1)
  // without a window.
  POINT LastMousePos() const;
  // The item rectangle intersected with every ancestor's; empty when an
  // ancestor hides it all.
  bool VisibleArea(RECT& area) const;
  // After a change of fixed offset or size constraints.
  void RequestGeometryUpdate();
  // Hangs child under newParent and records its depth up the chain of
  // parents. False, with nothing changed, when the tree would then be deeper
  // than kMaxTreeDepth.
  static bool LinkChild(CControlUI& child, CControlUI* newParent);
  // A child that leaves its container and lives on no longer names it.
  static void UnlinkChild(CControlUI& child) { child.parent = nullptr; }
  // Tells the parent that this control's rectangle changed (SetBounds does).
  void NoteBoundsChanged() {
    if (parent != nullptr) ++parent->childGeometryVersion;
  }
  // The children came, went or moved.
  void NoteChildrenChanged() { ++childGeometryVersion; }
  unsigned ChildGeometryVersion() const { return childGeometryVersion; }

  const CRectUI& ItemRect() const { return itemRect; }
  const CWideStringUI& Text() const { return text; }
  // For a class that paints on its own: sets the paint rectangle, false when
  // the dirty area misses the control.
  bool BeginPaint(const RECT& dirty) { return IntersectRect(&paintRect, &dirty, &itemRect) != 0; }
  // Draws an image string; one that cannot be drawn is emptied so it is never
  // tried again. True when it was drawn.
  bool PaintImageOrDrop(HDC dc, CWideStringUI& image, const wchar_t* modifier = nullptr);
  // The size alone, for a control that lays out or asks for a layout itself.
  void StoreFixedWidth(int width) { fixedWidth = width; }
  void StoreFixedHeight(int height) { fixedHeight = height; }
  // The flags alone, without the layout or focus changes the setters make.
  void StoreVisible(bool show) { visible = show; }
  // Text that may be markup, as a reader should hear it.
  static CWideStringUI PlainText(const CWideStringUI& text, bool markup);
  void StoreFocused(bool on) { focused = on; }
  // A dragged edge moves the control itself, not through SetBounds.
  void MoveEdgeTo(const RECT& rect) {
    itemRect = rect;
    NoteBoundsChanged();
  }

 private:
  void KeepFloatPlace(const RECT& outer);

  DelegateList initHooks;
  DelegateList destroyHooks;
  DelegateList sizeHooks;
  DelegateList eventHooks;
  DelegateList notifyHooks;
  IControlHostUI* manager = nullptr;
  CControlUI* parent = nullptr;
  CWideStringUI name;
  bool updateNeeded = true;
  bool menuUsed = false;
  CRectUI itemRect;
  CRectUI padding;
  CSizeUI fixedXY;
  int fixedWidth = 0;
  int fixedHeight = 0;
  int minWidth = 0;
  int minHeight = 0;
  int maxWidth = 9999;
  int maxHeight = 9999;
  bool visible = true;
  bool innerVisible = true;
  bool enabled = true;
  bool mouseEnabled = true;
  bool keyboardEnabled = true;
  bool focused = false;
  bool isFloat = false;
  bool inSizeHooks = false;
  TRelativePosUI relativePos;
  CWideStringUI text;
  CWideStringUI toolTip;
  wchar_t shortcut = 0;
  CWideStringUI userData;
  UINT_PTR tag = 0;
  DWORD backColor = 0;
  DWORD backColor2 = 0;
  DWORD backColor3 = 0;
  CWideStringUI backImage;
  DWORD borderColor = 0;
  DWORD focusBorderColor = 0;
  bool colorHSL = false;
  int borderSize = 0;
  CSizeUI borderRound;
  CRectUI paintRect;
  CWideStringUI focusRectStyle;
  CWideStringUI accessibleName;
  CWideStringUI accessibleDescription;
  int subtreeDepth = 1;
  // Changes whenever a child moves or the children change, so that a
  // container can tell whether what it copied of them still holds.
  unsigned childGeometryVersion = 0;
};

// Attribute value readers shared by every control class: integers read up to
// the first non-digit, colours through wcstoul base 16, rectangles and sizes
// as numbers each followed by one separator of any kind, booleans true only
// for "true".
namespace AttributeValue {
int Integer(const wchar_t* value);
// Skips leading whitespace (codes <= 32) and one "#".
DWORD ColorAfterBlanks(const wchar_t* value);
// Skips one leading "#" only.
DWORD Color(const wchar_t* value);
RECT Rectangle(const wchar_t* value);
SIZE Size(const wchar_t* value);
bool Boolean(const wchar_t* value);
// Names (of attributes, interfaces, elements) match exactly, letter case
// included; a null name matches nothing.
bool Is(const wchar_t* name, const wchar_t* expected);
}  // namespace AttributeValue

}  // namespace SkinUI
