#pragma once
// A vertical or horizontal scroll bar: two arrow buttons, a rail and a thumb
// whose size and place follow the range and position. Clicks, held buttons
// and thumb drags become scrolling calls on the owning container; a bar
// without an owner moves its own position and reports "scroll".

#include <windows.h>

#include "ui/controls/control.h"
#include "ui/controls/press_behavior.h"

namespace SkinUI {

class CContainerUI;

class CScrollBarUI : public CControlUI {
 public:
  // The control timer that drives auto-repeat and thumb dragging.
  static constexpr UINT kRepeatTimerKey = 10;
  static constexpr UINT kRepeatIntervalMs = 50;
  // Ticks after a press before a held button or rail starts repeating.
  static constexpr int kQuietTicks = 5;

  CScrollBarUI();
  ~CScrollBarUI() override;

  void SetOwner(CContainerUI* owner);
  CContainerUI* Owner() const;

  bool IsHorizontal() const;
  void SetHorizontal(bool horizontal = true);
  int GetScrollRange() const;
  // Negative becomes 0; a position past the range is lowered to it.
  void SetScrollRange(int range);
  int GetScrollPos() const;
  // Clamped to 0 ... range.
  void SetScrollPos(int pos);
  int GetLineSize() const;
  void SetLineSize(int size);
  bool IsShowButton1() const;
  void SetShowButton1(bool show);
  bool IsShowButton2() const;
  void SetShowButton2(bool show);

  // The parts as last laid out, in window client coordinates.
  const RECT& Button1Rect() const { return button1Rect; }
  const RECT& Button2Rect() const { return button2Rect; }
  // All zero when there is no room for a thumb.
  const RECT& ThumbRect() const { return thumbRect; }
  UINT Button1State() const { return button1.State(); }
  UINT Button2State() const { return button2.State(); }
  UINT ThumbState() const { return thumb.State(); }

  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
  // Lays out the buttons and the thumb.
  void SetBounds(const RECT& rect) override;
  // No layout request: the owner decides where bars go.
  void SetVisible(bool visible = true) override;
  void SetEnabled(bool enabled = true) override;
  void SetFocus() override;
  void HandleEvent(TControlEvent& event) override;
  void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
  void Paint(HDC dc, const RECT& dirty) override;
  DWORD AccessibleRole() const override;
  // The position.
  CWideStringUI AccessibleValue() const override;

 private:
  // Image strings per state of one part.
  enum ImageSlot { kNormal, kHot, kPushed, kDisabled, kImageSlots };
  using PartImages = CWideStringUI[kImageSlots];

  // Along and across the bar's axis.
  int AlongOf(const POINT& p) const { return horizontal ? p.x : p.y; }
  int Length() const { return horizontal ? GetWidth() : GetHeight(); }
  // In the window's pixels.
  int Thickness() const {
    return Scale().ToDevice(horizontal ? GetFixedHeight() : GetFixedWidth());
  }
  // Clamped to the coordinate range: the thickness comes from the skin.
  RECT AxisRect(long long alongStart, long long acrossStart, long long alongEnd,
                long long acrossEnd) const;
  // The position moved by delta, kept within 0 ... range.
  void StepBy(long long delta);
  int ThumbStart() const { return horizontal ? thumbRect.left : thumbRect.top; }
  int ThumbEnd() const { return horizontal ? thumbRect.right : thumbRect.bottom; }
  bool HasThumb() const;
  void LayoutParts();

  void OnMouseMove(const TControlEvent& event);
  void OnButtonDown(const TControlEvent& event);
  void OnButtonUp();
  void OnRepeatTick();
  void OnMouseEnter(const TControlEvent& event);
  void OnMouseLeave();
  // Drag offset per pixel is range / track; the track the pointer can use.
  int DragTrackLength() const;
  void LineBackward();
  void LineForward();
  void PageBackward();
  void PageForward();
  // A page toward the pointer; false (nothing moved) when it lies over the thumb.
  bool PageToward(int along);
  CPointUI CursorInClient() const;
  void NotifyScroll();
  void PassOn(TControlEvent& event);

  void PaintBackground(HDC dc);
  // The first of the state images (disabled, pushed, hot) the state asks for,
  // then the normal one; an image that fails is emptied. True when one drew.
  bool PaintPartImages(HDC dc, PartImages& images, UINT state, const wchar_t* dest);
  void PaintPart(HDC dc, PartImages& images, CPressBehaviorUI& part, const RECT& area);
  void PaintRail(HDC dc);
  const wchar_t* DestModifier(const RECT& part);
  bool SetImage(const wchar_t* name, const wchar_t* value);

  bool horizontal = false;
  int range = 100;
  int scrollPos = 0;
  int lineSize = 8;
  CContainerUI* owner = nullptr;
  CPointUI dragStartPoint;
  int dragStartPos = 0;
  int dragOffset = 0;
  // The press went down on the rail; ticks page only while it is held.
  CPressBehaviorUI rail;
  PartImages backImages;
  bool showButton1 = true;
  CRectUI button1Rect;
  CPressBehaviorUI button1;
  PartImages button1Images;
  bool showButton2 = true;
  CRectUI button2Rect;
  CPressBehaviorUI button2;
  PartImages button2Images;
  CRectUI thumbRect;
  CPressBehaviorUI thumb;
  PartImages thumbImages;
  PartImages railImages;
  CWideStringUI modifier;
};

}  // namespace SkinUI
