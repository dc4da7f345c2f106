// CWindowManagerUI: layout before painting, painting through the offscreen
// bitmap, the translucent background copy, dirty rectangles and
// WM_PRINTCLIENT.

#include "ui/window/window_manager.h"

#include <algorithm>
#include <utility>

#include "ui/controls/control.h"

namespace SkinUI {

namespace {

// Dirty rectangles are outlined with one pen for the whole process.
HPEN DirtyRectPen() {
  static UniquePen pen(CreatePen(PS_SOLID, 1, RGB(220, 0, 0)));
  return pen.get();
}

CControlUI* CALLBACK FindPendingLayout(CControlUI* control, LPVOID) {
  return control->IsRelayoutPending() ? control : nullptr;
}

// The bounds of what is to be painted; false when nothing is. The region
// is read rather than the rectangle, which some platforms work out through
// a device context of the window. whole: the region is that one rectangle.
bool UpdateBounds(HWND window, RECT& bounds, bool& whole) {
  whole = false;
  UniqueRegion update(CreateRectRgn(0, 0, 0, 0));
  if (!update) return GetUpdateRect(window, &bounds, FALSE) != FALSE;
  const int kind = GetUpdateRgn(window, update.get(), FALSE);
  if (kind == NULLREGION || kind == ERROR) return false;
  whole = kind == SIMPLEREGION;
  return GetRgnBox(update.get(), &bounds) != NULLREGION;
}

RECT ClientRect(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  return client;
}

void CopyRect(HDC target, HDC source, const RECT& rc) {
  BitBlt(target, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, source, rc.left, rc.top,
         SRCCOPY);
}

}  // namespace

// "windowinit" and the focus handlers run before anything is painted; they
// may clear or replace the tree, or close the window.
void CWindowManagerUI::OnPaint() {
  RECT update = {};
  bool whole = false;
  if (!UpdateBounds(window, update, whole)) return;
  PAINTSTRUCT paint = {};
  const auto state = dispatch;
  // A paint nested in a handler below clears this before its BeginPaint,
  // so nothing asked for after it is taken as covered.
  paintPending = whole ? update : CRectUI();
  if (root != nullptr && updateNeeded && !LayOutTree()) return;
  if (root != nullptr && focusNeeded) MoveFocusByTab(true);
  if (state->managerGone) return;
  paintPending = CRectUI();
  if (root == nullptr) {
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return;
  }
  if (offscreenPainting && !offscreenBitmap) EnsureOffscreenBuffer(ClientRect(window));

  HDC windowDC = BeginPaint(window, &paint);
  if (offscreenPainting && offscreenBitmap) {
    PaintThroughOffscreen(windowDC, paint.rcPaint, update);
  } else if (root != nullptr) {
    const int saved = SaveDC(windowDC);
    root->Paint(windowDC, paint.rcPaint);
    RestoreDC(windowDC, saved);
    PaintFocusIndicator(windowDC, paint.rcPaint);
  }
  EndPaint(window, &paint);
  // Something asked for layout while the tree was painted: one more round.
  if (updateNeeded) InvalidateRect(window, nullptr, FALSE);
}

// False when the manager ended meanwhile (a size hook or a "windowinit"
// handler closed the window).
bool CWindowManagerUI::LayOutTree() {
  updateNeeded = false;
  const RECT client = ClientRect(window);
  if (IsRectEmpty(&client)) return true;
  const auto state = dispatch;
  collectingInvalidation = true;
  collectedArea = CRectUI();
  if (root->IsRelayoutPending()) {
    root->SetBounds(client);
    if (state->managerGone) return false;
    // The buffers are made again at the size the window has now.
    DropPaintBuffers();
  } else {
    LayOutPendingControls();
    if (state->managerGone) return false;
  }
  collectingInvalidation = false;
  if (!collectedArea.IsEmpty()) InvalidateArea(collectedArea);
  if (firstLayoutPending && root != nullptr) {
    firstLayoutPending = false;
    return Notify(root, NotifyType::kWindowInit);
  }
  return true;
}

// A control whose placement keeps asking for layout would keep this loop
// going for ever; two rounds per control are more than a sound tree needs.
void CWindowManagerUI::LayOutPendingControls() {
  const int rounds = CountControls() * 2;
  const auto state = dispatch;
  for (int round = 0; round < rounds && root != nullptr; ++round) {
    CControlUI* pending = root->FindInTree(FindPendingLayout, nullptr, FindVisible | FindMeFirst);
    if (pending == nullptr) return;
    const RECT bounds = pending->Bounds();
    pending->SetBounds(bounds);
    if (state->managerGone) return;
  }
}

void CWindowManagerUI::EnsureOffscreenBuffer(const RECT& client) {
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  offscreenDC = UniqueMemoryDC(paintDC);
  // A DIB section, so that the paint memo can read and put back its pixels.
  offscreenBitmap = CreateTopDownDib(width, height);
  if (!offscreenDC || !offscreenBitmap) {
    offscreenDC.reset();
    offscreenBitmap = DibSection();
    return;
  }
  // Selected for the buffer's life (selecting it per paint costs more than
  // the copy to the window); DropPaintBuffers ends the DC first.
  SelectObject(offscreenDC.get(), offscreenBitmap.bitmap.get());
  paintMemo.Attach({offscreenDC.get(), offscreenBitmap.pixels, width, height});
  offscreenFresh = true;
}

void CWindowManagerUI::PaintThroughOffscreen(HDC windowDC, const RECT& paint, const RECT& update) {
  HDC offscreen = offscreenDC.get();
  const int saved = SaveDC(offscreen);
  // Most texts use the default font; selected once here, it is not selected
  // and put back for each of them. RestoreDC ends the selection.
  if (HFONT font = resources->FontAt(-1)) SelectObject(offscreen, font);
  if (IsTranslucentBackground()) CopyTranslucentBackground(paint);
  // The first paint into a new buffer (a window's first, the one its user
  // waits for) remembers nothing: it would only serve the next paint.
  const bool fresh = std::exchange(offscreenFresh, false);
  CPaintMemoScope memo(fresh ? nullptr : &paintMemo);
  root->Paint(offscreen, paint);
  // A painter may unregister itself while it paints.
  const std::vector<CControlUI*> painters = overlayPainters;
  for (CControlUI* painter : painters) painter->PaintOverlay(offscreen, paint);
  RestoreDC(offscreen, saved);
  PaintFocusIndicator(offscreen, paint);
  CopyRect(windowDC, offscreen, paint);
  if (ShowsDirtyRect()) DrawDirtyRect(windowDC, update);
}

// What the window showed before its first paint is kept, and each paint
// starts from it, so translucent controls are drawn over it.
void CWindowManagerUI::CopyTranslucentBackground(const RECT& paint) {
  if (!backgroundBitmap) {
    const RECT client = ClientRect(window);
    backgroundDC = UniqueMemoryDC(paintDC);
    backgroundBitmap.reset(
        CreateCompatibleBitmap(paintDC, client.right - client.left, client.bottom - client.top));
    if (!backgroundDC || !backgroundBitmap) {
      backgroundDC.reset();
      backgroundBitmap.reset();
      return;
    }
    SelectObject(backgroundDC.get(), backgroundBitmap.get());
    CopyRect(backgroundDC.get(), paintDC, paint);
  }
  CopyRect(offscreenDC.get(), backgroundDC.get(), paint);
}

// Drawn after every control, so no control paints over it, and only where
// the control's parents show it.
void CWindowManagerUI::PaintFocusIndicator(HDC dc, const RECT& paint) {
  if (!keyboardCues || focus == nullptr || !IsInstalled(focus)) return;
  RECT shown = paint;
  for (CControlUI* control = focus; control != nullptr; control = control->GetParent()) {
    if (!control->IsVisible() || !IntersectRect(&shown, &shown, &control->Bounds())) return;
  }
  TFocusIndicatorStyle style =
      ParseFocusIndicatorStyle(focus->GetFocusRectStyle(), FocusIndicatorStyle());
  // The line width and the inset are skin numbers, logical like the others.
  const CDpiScaleUI scale = resources->Scale();
  style.width = std::max(1, scale.ToDevice(style.width));
  style.inset = scale.ToDevice(style.inset);
  DrawFocusIndicator(dc, focus->FocusIndicatorRect(), shown, style);
}

void CWindowManagerUI::DrawDirtyRect(HDC windowDC, const RECT& update) const {
  SelectObjectGuard pen(windowDC, DirtyRectPen());
  SelectObjectGuard brush(windowDC, GetStockObject(HOLLOW_BRUSH));
  Rectangle(windowDC, update.left, update.top, update.right, update.bottom);
}

// Each device context goes before its bitmap, which cannot be deleted while
// selected.
void CWindowManagerUI::DropPaintBuffers() {
  paintMemo.Attach({});
  offscreenDC.reset();
  offscreenBitmap = DibSection();
  backgroundDC.reset();
  backgroundBitmap.reset();
}

void CWindowManagerUI::OnPrintClient(HDC dc, LPARAM flags) {
  if (dc == nullptr) return;
  const int saved = SaveDC(dc);
  if (root != nullptr) root->Paint(dc, ClientRect(window));
  if ((flags & PRF_CHILDREN) != 0) {
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      RECT place = {};
      GetWindowRect(child, &place);
      MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&place), 2);
      SetWindowOrgEx(dc, -place.left, -place.top, nullptr);
      SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT);
    }
  }
  RestoreDC(dc, saved);
}

}  // namespace SkinUI
