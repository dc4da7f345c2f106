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
      : guardedDC(dc), font(GetCurrentObject(dc, OBJ_FONT)), clip(CreateRectRgn(0, 0, 0, 0)) {
    hadClip = clip && GetClipRgn(dc, clip.get()) == 1;
  }
  DeviceStateGuard(const DeviceStateGuard&) = delete;
  DeviceStateGuard& operator=(const DeviceStateGuard&) = delete;
  ~DeviceStateGuard() {
    SelectClipRgn(guardedDC, hadClip ? clip.get() : nullptr);
    if (font != nullptr) SelectObject(guardedDC, font);
  }

  void ClipTo(const RECT& rc) {
    UniqueRegion area(CreateRectRgnIndirect(&rc));
    if (area) ExtSelectClipRgn(guardedDC, area.get(), RGN_AND);
  }

 private:
  HDC guardedDC;
  HGDIOBJ font;
  UniqueRegion clip;
  bool hadClip = false;
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
