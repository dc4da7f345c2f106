// CDrawKit::DrawMarkupText: restores the caller's clip and font around the
// markup walker (markup_walker.h).

#include "ui/core/gdi_handles.h"
#include "ui/render/draw_kit.h"
#include "ui/render/markup_walker.h"

namespace SkinUI {

namespace {

// Restores the clip region and the selected font the caller had.
class DeviceStateGuard {
 public:
  explicit DeviceStateGuard(HDC dc)
      : dc_(dc), font_(GetCurrentObject(dc, OBJ_FONT)), clip_(CreateRectRgn(0, 0, 0, 0)) {
    hadClip_ = clip_ && GetClipRgn(dc, clip_.get()) == 1;
  }
  DeviceStateGuard(const DeviceStateGuard&) = delete;
  DeviceStateGuard& operator=(const DeviceStateGuard&) = delete;
  ~DeviceStateGuard() {
    SelectClipRgn(dc_, hadClip_ ? clip_.get() : nullptr);
    if (font_ != nullptr) SelectObject(dc_, font_);
  }

  void ClipTo(const RECT& rc) {
    UniqueRegion area(CreateRectRgnIndirect(&rc));
    if (area) ExtSelectClipRgn(dc_, area.get(), RGN_AND);
  }

 private:
  HDC dc_;
  HGDIOBJ font_;
  UniqueRegion clip_;
  bool hadClip_ = false;
};

}  // namespace

void CDrawKit::DrawMarkupText(HDC dc, ISkinResourcesUI* resources, RECT& rc, const wchar_t* text,
                              DWORD color, RECT* linkRects, CWideStringUI* linkNames,
                              int& linkCount, UINT format, POINT pointer) {
  if (dc == nullptr || resources == nullptr || text == nullptr || rc.right <= rc.left ||
      rc.bottom <= rc.top) {
    linkCount = 0;  // no link is reachable
    return;
  }
  DeviceStateGuard restore(dc);
  if ((format & DT_CALCRECT) == 0) restore.ClipTo(rc);
  CMarkupWalker walker(dc, resources, rc, text, color, linkRects, linkNames, linkCount, format,
                       pointer);
  linkCount = walker.Run();
}

}  // namespace SkinUI
