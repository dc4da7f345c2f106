// CScrollBarUI: part layout, mouse handling with auto-repeat and thumb
// dragging, and painting.

#include "ui/controls/scroll_bar.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>

#include "ui/controls/container.h"
#include "ui/render/draw_kit.h"

namespace SkinUI {

namespace {

constexpr wchar_t kClassName[] = L"ScrollBarUI";
constexpr wchar_t kInterfaceName[] = L"ScrollBar";
constexpr int kDefaultThickness = 16;
// Drawn around a button or thumb that has no image that draws.
constexpr DWORD kOutlineColor = 0x0085E4FF;
constexpr int kOutlineWidth = 2;

using AttributeValue::Is;

// a * b / c in 64 bits, truncating toward zero, brought back into 32 bits.
int MulDivTruncated(long long a, long long b, long long c) {
  return ClampToInt(a * b / c);
}

}  // namespace

CScrollBarUI::CScrollBarUI() {
  StoreFixedWidth(kDefaultThickness);
}

CScrollBarUI::~CScrollBarUI() = default;

void CScrollBarUI::SetOwner(CContainerUI* newOwner) {
  owner = newOwner;
}

CContainerUI* CScrollBarUI::Owner() const {
  return owner;
}

bool CScrollBarUI::IsHorizontal() const {
  return horizontal;
}

void CScrollBarUI::SetHorizontal(bool on) {
  if (horizontal == on) return;
  horizontal = on;
  if (horizontal && GetFixedHeight() == 0) {
    StoreFixedWidth(0);
    StoreFixedHeight(kDefaultThickness);
  } else if (!horizontal && GetFixedWidth() == 0) {
    StoreFixedHeight(0);
    StoreFixedWidth(kDefaultThickness);
  }
  if (owner != nullptr) {
    owner->RequestRelayout();
  } else {
    RequestParentRelayout();
  }
}

int CScrollBarUI::GetScrollRange() const {
  return range;
}

void CScrollBarUI::SetScrollRange(int newRange) {
  if (range == newRange) return;
  range = std::max(newRange, 0);
  if (scrollPos > range) scrollPos = range;
  SetBounds(ItemRect());
}

int CScrollBarUI::GetScrollPos() const {
  return scrollPos;
}

void CScrollBarUI::SetScrollPos(int pos) {
  if (scrollPos == pos) return;
  scrollPos = std::clamp(pos, 0, range);
  SetBounds(ItemRect());
}

int CScrollBarUI::GetLineSize() const {
  return lineSize;
}

void CScrollBarUI::SetLineSize(int size) {
  lineSize = size;
}

bool CScrollBarUI::IsShowButton1() const {
  return showButton1;
}

void CScrollBarUI::SetShowButton1(bool show) {
  showButton1 = show;
  SetBounds(ItemRect());
}

bool CScrollBarUI::IsShowButton2() const {
  return showButton2;
}

void CScrollBarUI::SetShowButton2(bool show) {
  showButton2 = show;
  SetBounds(ItemRect());
}

const wchar_t* CScrollBarUI::ClassName() const {
  return kClassName;
}

void* CScrollBarUI::InterfaceFor(const wchar_t* interfaceName) {
  if (interfaceName != nullptr && wcscmp(interfaceName, kInterfaceName) == 0) return this;
  return CControlUI::InterfaceFor(interfaceName);
}

void CScrollBarUI::SetVisible(bool show) {
  if (IsVisible() == show) return;
  StoreVisible(show);
  StoreFocused(false);
}

void CScrollBarUI::SetEnabled(bool on) {
  CControlUI::SetEnabled(on);
  if (on) return;
  button1.Reset();
  button2.Reset();
  thumb.Reset();
  rail.Reset();
}

void CScrollBarUI::SetFocus() {
  if (owner != nullptr) {
    owner->SetFocus();
  } else {
    CControlUI::SetFocus();
  }
}

void CScrollBarUI::SetBounds(const RECT& rect) {
  CControlUI::SetBounds(rect);
  LayoutParts();
}

RECT CScrollBarUI::AxisRect(long long alongStart, long long acrossStart, long long alongEnd,
                            long long acrossEnd) const {
  if (horizontal) return CRectUI::Clamped(alongStart, acrossStart, alongEnd, acrossEnd);
  return CRectUI::Clamped(acrossStart, alongStart, acrossEnd, alongEnd);
}

bool CScrollBarUI::HasThumb() const {
  return !(thumbRect == CRectUI());
}

// Computed along the bar's axis; a vertical bar is the horizontal one mirrored.
void CScrollBarUI::LayoutParts() {
  const long long length = Length();
  const long long thickness = Thickness();
  const long long start = horizontal ? ItemRect().left : ItemRect().top;
  const long long end = horizontal ? ItemRect().right : ItemRect().bottom;
  const long long across = horizontal ? ItemRect().top : ItemRect().left;

  long long rail = length;
  if (showButton1) rail -= thickness;
  if (showButton2) rail -= thickness;

  const long long button = rail <= thickness ? std::min(thickness, length / 2) : thickness;
  const long long button1End = showButton1 ? start + button : start;
  const long long button2Start = showButton2 ? end - button : end;
  button1Rect = AxisRect(start, across, button1End, showButton1 ? across + thickness : across);
  button2Rect = AxisRect(button2Start, across, end, showButton2 ? across + thickness : across);
  if (rail <= thickness) {
    thumbRect = CRectUI();
    return;
  }
  if (range == 0) {
    thumbRect = AxisRect(button1End, across, button2Start, across + thickness);
    return;
  }
  const long long thumbLength =
      std::max<long long>(MulDivTruncated(length, rail, range + length), thickness);
  long long thumbStart = MulDivTruncated(rail - thumbLength, scrollPos, range) + button1End;
  long long thumbEnd = thumbStart + thumbLength;
  if (thumbEnd > button2Start) {
    thumbEnd = button2Start;
    thumbStart = thumbEnd - thumbLength;
  }
  thumbRect = AxisRect(thumbStart, across, thumbEnd, across + thickness);
}

void CScrollBarUI::HandleEvent(TControlEvent& event) {
  if (!IsMouseEnabled() && IsMouseEvent(event.kind)) {
    PassOn(event);
    return;
  }
  switch (event.kind) {
    case EventMouseMove:
      OnMouseMove(event);
      return;
    case EventContextMenu:
    case EventKillFocus:
    case EventSetFocus:
      return;
    case EventButtonDown:
    case EventDoubleClick:
      if (IsEnabled()) OnButtonDown(event);
      return;
    case EventButtonUp:
      OnButtonUp();
      return;
    case EventTimer:
      if (event.wParam != kRepeatTimerKey) break;
      OnRepeatTick();
      return;
    case EventMouseEnter:
      if (IsEnabled()) OnMouseEnter(event);
      return;
    case EventMouseLeave:
      if (IsEnabled()) OnMouseLeave();
      return;
    default:
      break;
  }
  PassOn(event);
}

void CScrollBarUI::PassOn(TControlEvent& event) {
  if (owner != nullptr) {
    owner->HandleEvent(event);
  } else {
    CControlUI::HandleEvent(event);
  }
}

// The drag is only measured here; the position follows on the next tick.
void CScrollBarUI::OnMouseMove(const TControlEvent& event) {
  if (thumb.IsDragging()) {
    const int track = DragTrackLength();
    if (track <= 0) return;
    dragOffset = MulDivTruncated(AlongOf(event.point) - AlongOf(dragStartPoint), range, track);
    return;
  }
  if (thumb.Hover(thumbRect.Contains(event.point), IsEnabled())) Invalidate();
}

// Two thicknesses come off the length whether or not the buttons show, so a
// drag runs faster than the pointer. When the thumb is long that track turns
// zero or negative and would stall or reverse the drag; the rail the thumb
// really travels is used then.
int CScrollBarUI::DragTrackLength() const {
  const int thumbLength = ThumbEnd() - ThumbStart();
  const long long track = static_cast<long long>(Length()) - 2LL * Thickness() - thumbLength;
  if (track > 0) return ClampToInt(track);
  const int railStart = horizontal ? button1Rect.right : button1Rect.bottom;
  const int railEnd = horizontal ? button2Rect.left : button2Rect.top;
  return railEnd - railStart - thumbLength;
}

void CScrollBarUI::OnButtonDown(const TControlEvent& event) {
  dragOffset = 0;
  if (GetManager() != nullptr)
    GetManager()->StartControlTimer(this, kRepeatTimerKey, kRepeatIntervalMs);
  if (button1Rect.Contains(event.point)) {
    button1.BeginPress(PressKind::kClickOnPress);
    LineBackward();
  } else if (button2Rect.Contains(event.point)) {
    button2.BeginPress(PressKind::kClickOnPress);
    LineForward();
  } else if (thumbRect.Contains(event.point)) {
    thumb.BeginPress(PressKind::kDrag);
    dragStartPoint = event.point;
    dragStartPos = scrollPos;
  } else {
    rail.BeginPress(PressKind::kClickOnPress);
    PageToward(AlongOf(event.point));
  }
  NotifyScroll();
  Invalidate();
}

void CScrollBarUI::OnButtonUp() {
  dragOffset = 0;
  rail.EndPress();
  if (GetManager() != nullptr) GetManager()->StopControlTimer(this, kRepeatTimerKey);
  if (thumb.EndPress() || button1.EndPress() || button2.EndPress()) Invalidate();
}

// A held button or rail acts once at the press, rests for the quiet ticks,
// then repeats on every tick; a drag is applied on every tick.
void CScrollBarUI::OnRepeatTick() {
  if (thumb.IsDragging()) {
    const int pos = ClampToInt(static_cast<long long>(dragStartPos) + dragOffset);
    if (owner != nullptr) {
      SIZE both = owner->GetScrollPos();
      (horizontal ? both.cx : both.cy) = pos;
      owner->SetScrollPos(both);
    } else {
      SetScrollPos(pos);
    }
    Invalidate();
    NotifyScroll();
    return;
  }
  CPressBehaviorUI* held = button1.IsPushed()   ? &button1
                           : button2.IsPushed() ? &button2
                           : rail.IsPushed()    ? &rail
                                                : nullptr;
  if (held == nullptr || !held->RepeatDue(kQuietTicks)) return;
  if (held == &button1) {
    LineBackward();
  } else if (held == &button2) {
    LineForward();
  } else if (!PageToward(AlongOf(CursorInClient()))) {
    return;
  }
  NotifyScroll();
}

// The arrows turn hot with the whole bar, the thumb only under the pointer.
void CScrollBarUI::OnMouseEnter(const TControlEvent& event) {
  button1.Hover(true, true);
  button2.Hover(true, true);
  if (thumbRect.Contains(event.point)) thumb.Hover(true, true);
  Invalidate();
}

void CScrollBarUI::OnMouseLeave() {
  button1.Hover(false, true);
  button2.Hover(false, true);
  thumb.Hover(false, true);
  Invalidate();
}

// Steps near the ends of a range as large as 32 bits allow stop at the end
// instead of wrapping round to the other one.
void CScrollBarUI::StepBy(long long delta) {
  SetScrollPos(ClampToInt(scrollPos + delta));
}

void CScrollBarUI::LineBackward() {
  if (owner == nullptr) {
    StepBy(-static_cast<long long>(Scale().ToDevice(lineSize)));
  } else if (horizontal) {
    owner->ScrollLineLeft();
  } else {
    owner->ScrollLineUp();
  }
}

void CScrollBarUI::LineForward() {
  if (owner == nullptr) {
    StepBy(Scale().ToDevice(lineSize));
  } else if (horizontal) {
    owner->ScrollLineRight();
  } else {
    owner->ScrollLineDown();
  }
}

void CScrollBarUI::PageBackward() {
  if (owner == nullptr) {
    StepBy(-static_cast<long long>(Length()));
  } else if (horizontal) {
    owner->ScrollPageLeft();
  } else {
    owner->ScrollPageUp();
  }
}

void CScrollBarUI::PageForward() {
  if (owner == nullptr) {
    StepBy(Length());
  } else if (horizontal) {
    owner->ScrollPageRight();
  } else {
    owner->ScrollPageDown();
  }
}

bool CScrollBarUI::PageToward(int along) {
  if (along < ThumbStart()) {
    PageBackward();
    return true;
  }
  if (along >= ThumbEnd()) {
    PageForward();
    return true;
  }
  return false;
}

CPointUI CScrollBarUI::CursorInClient() const {
  POINT cursor = {};
  GetCursorPos(&cursor);
  HWND window = GetManager() != nullptr ? GetManager()->WindowHandle() : nullptr;
  if (window != nullptr) ScreenToClient(window, &cursor);
  return CPointUI(cursor);
}

void CScrollBarUI::NotifyScroll() {
  if (owner == nullptr && GetManager() != nullptr)
    GetManager()->SendNotification(this, NotifyType::kScroll);
}

bool CScrollBarUI::SetImage(const wchar_t* attribute, const wchar_t* value) {
  static const wchar_t* const kSuffixes[kImageSlots] = {L"normalimage", L"hotimage", L"pushedimage",
                                                        L"disabledimage"};
  struct TPart {
    const wchar_t* prefix;
    PartImages* images;
  };
  const TPart parts[] = {{L"button1", &button1Images},
                         {L"button2", &button2Images},
                         {L"thumb", &thumbImages},
                         {L"rail", &railImages},
                         {L"bk", &backImages}};
  for (const TPart& part : parts) {
    const size_t prefixLength = wcslen(part.prefix);
    if (wcsncmp(attribute, part.prefix, prefixLength) != 0) continue;
    for (int slot = 0; slot < kImageSlots; ++slot) {
      if (!Is(attribute + prefixLength, kSuffixes[slot])) continue;
      (*part.images)[slot] = value;
      Invalidate();
      return true;
    }
  }
  return false;
}

void CScrollBarUI::ApplyAttribute(const wchar_t* attribute, const wchar_t* value) {
  if (attribute == nullptr || value == nullptr) return;
  if (SetImage(attribute, value)) return;
  if (Is(attribute, L"hor")) {
    SetHorizontal(AttributeValue::Boolean(value));
  } else if (Is(attribute, L"linesize")) {
    SetLineSize(AttributeValue::Integer(value));
  } else if (Is(attribute, L"range")) {
    SetScrollRange(AttributeValue::Integer(value));
  } else if (Is(attribute, L"value")) {
    SetScrollPos(AttributeValue::Integer(value));
  } else if (Is(attribute, L"showbutton1")) {
    SetShowButton1(AttributeValue::Boolean(value));
  } else if (Is(attribute, L"showbutton2")) {
    SetShowButton2(AttributeValue::Boolean(value));
  } else {
    CControlUI::ApplyAttribute(attribute, value);
  }
}

// The base background, image and border are not used: the bar draws its own parts.
void CScrollBarUI::Paint(HDC dc, const RECT& dirty) {
  if (!BeginPaint(dirty)) return;
  PaintBackground(dc);
  if (showButton1) PaintPart(dc, button1Images, button1, button1Rect);
  if (showButton2) PaintPart(dc, button2Images, button2, button2Rect);
  if (!HasThumb()) return;
  PaintPart(dc, thumbImages, thumb, thumbRect);
  PaintRail(dc);
}

bool CScrollBarUI::PaintPartImages(HDC dc, PartImages& images, UINT state, const wchar_t* dest) {
  const UINT stateBits = ButtonState::kDisabled | ButtonState::kPushed | ButtonState::kHot;
  if ((state & stateBits) != 0) {
    CWideStringUI& image = ButtonState::Has(state, ButtonState::kDisabled) ? images[kDisabled]
                           : ButtonState::Has(state, ButtonState::kPushed) ? images[kPushed]
                                                                           : images[kHot];
    if (!image.IsEmpty()) {
      if (PaintImageSpec(dc, image, dest)) return true;
      image.Empty();
    }
  }
  CWideStringUI& normal = images[kNormal];
  if (normal.IsEmpty()) return false;
  if (PaintImageSpec(dc, normal, dest)) return true;
  normal.Empty();
  return false;
}

void CScrollBarUI::PaintBackground(HDC dc) {
  thumb.Set(ButtonState::kDisabled, !IsEnabled());
  PaintPartImages(dc, backImages, thumb.State(), nullptr);
}

void CScrollBarUI::PaintPart(HDC dc, PartImages& images, CPressBehaviorUI& part, const RECT& area) {
  part.Set(ButtonState::kDisabled, !IsEnabled());
  if (PaintPartImages(dc, images, part.State(), DestModifier(area))) return;
  CDrawKit::DrawFrameRect(dc, area, Scale().ToDevice(kOutlineWidth), kOutlineColor);
}

// The grip: a square of the bar's thickness centred on the thumb.
void CScrollBarUI::PaintRail(HDC dc) {
  thumb.Set(ButtonState::kDisabled, !IsEnabled());
  const int thickness = Thickness();
  CRectUI grip = thumbRect;
  if (horizontal) {
    grip.left = (thumbRect.left + thumbRect.right) / 2 - thickness / 2;
    grip.right = grip.left + thickness;
  } else {
    grip.top = (thumbRect.top + thumbRect.bottom) / 2 - thickness / 2;
    grip.bottom = grip.top + thickness;
  }
  PaintPartImages(dc, railImages, thumb.State(), DestModifier(grip));
}

// "dest='l,t,r,b'" relative to the bar's top-left corner.
const wchar_t* CScrollBarUI::DestModifier(const RECT& part) {
  modifier.Format(L"dest='%d,%d,%d,%d'", static_cast<int>(part.left - ItemRect().left),
                  static_cast<int>(part.top - ItemRect().top),
                  static_cast<int>(part.right - ItemRect().left),
                  static_cast<int>(part.bottom - ItemRect().top));
  return modifier;
}

DWORD CScrollBarUI::AccessibleRole() const {
  return ROLE_SYSTEM_SCROLLBAR;
}

CWideStringUI CScrollBarUI::AccessibleValue() const {
  CWideStringUI position;
  position.Format(L"%d", GetScrollPos());
  return position;
}

}  // namespace SkinUI
