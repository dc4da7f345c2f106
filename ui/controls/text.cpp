// CTextUI: wrapped text, its size estimate and its links.

#include "ui/controls/text.h"

#include <algorithm>
#include <cwchar>

#include "ui/render/draw_kit.h"

namespace SkinUI {

namespace {

constexpr wchar_t kClassName[] = L"TextUI";
constexpr wchar_t kInterfaceName[] = L"Text";
// Height of the area text is measured in: taller than any text control.
constexpr LONG kMeasureHeight = 9999;

}  // namespace

CTextUI::CTextUI() {
  textStyle = DT_WORDBREAK;
  textPadding = CRectUI(2, 0, 2, 0);
}

const wchar_t* CTextUI::ClassName() const {
  return kClassName;
}

void* CTextUI::InterfaceFor(const wchar_t* name) {
  if (name != nullptr && wcscmp(name, kInterfaceName) == 0) return this;
  return CLabelUI::InterfaceFor(name);
}

UINT CTextUI::ControlFlags() const {
  return IsEnabled() && linkCount > 0 ? ControlFlagSetCursor : 0;
}

int CTextUI::LinkAt(POINT point) const {
  for (int i = 0; i < linkCount; ++i) {
    if (PtInRect(&linkRects[i], point)) return i;
  }
  return -1;
}

void CTextUI::HandleEvent(TControlEvent& event) {
  if (ForwardMouseEventIfNotTaken(event)) return;
  const int link = LinkAt(event.point);
  switch (event.kind) {
    case EventSetCursor:
      if (link >= 0) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return;
      }
      break;
    case EventButtonDown:
    case EventDoubleClick:
      if (IsEnabled() && link >= 0) {
        Invalidate();
        return;
      }
      break;
    case EventButtonUp:
      if (IsEnabled() && link >= 0) {
        if (GetManager() != nullptr) GetManager()->SendNotification(this, NotifyType::kLink, link);
        return;
      }
      break;
    case EventContextMenu:
      return;
    case EventMouseMove:
      if (IsEnabled() && linkCount > 0 && link != hotLink) {
        hotLink = link;
        Invalidate();
        return;
      }
      break;
    case EventMouseLeave:
      if (IsEnabled() && linkCount > 0 && hotLink != -1) {
        hotLink = -1;
        Invalidate();
        return;
      }
      break;
    default:
      break;
  }
  CLabelUI::HandleEvent(event);
}

SIZE CTextUI::PreferredSize(SIZE available) {
  if (GetManager() == nullptr) return CLabelUI::PreferredSize(available);
  const CDpiScaleUI scale = Scale();
  const RECT pad = scale.ToDevice(textPadding);
  RECT area = {pad.left, 0,
               std::max<LONG>(scale.ToDevice(GetFixedWidth()), available.cx) - pad.right,
               kMeasureHeight};
  const UINT style = textStyle | DT_CALCRECT;
  HDC dc = GetManager()->PaintDC();
  if (showHtml) {
    int noLinks = 0;
    CDrawKit::DrawMarkupText(dc, Resources(), area, Text(), 0, nullptr, nullptr, noLinks, style);
  } else {
    CDrawKit::DrawPlainText(dc, Resources(), area, Text(), 0, font, style);
  }
  CSizeUI size(area.right - area.left + pad.left + pad.right,
               area.bottom - area.top + pad.top + pad.bottom);
  if (GetFixedHeight() > 0) size.cy = scale.ToDevice(GetFixedHeight());
  return size;
}

void CTextUI::PaintTextLayer(HDC dc) {
  if (Text().IsEmpty()) {
    linkCount = 0;
    return;
  }
  ApplyDefaultTextColors();
  RECT area = TextArea();
  const DWORD color = IsEnabled() ? textColor : disabledTextColor;
  if (!showHtml) {
    linkCount = 0;
    CDrawKit::DrawPlainText(dc, Resources(), area, Text(), color, font, textStyle);
    return;
  }
  // The drawing fills at most this many slots and reports how many it used.
  linkCount = kMaxLinks;
  CDrawKit::DrawMarkupText(dc, Resources(), area, Text(), color, linkRects, linkTargets, linkCount,
                           textStyle, LastMousePos());
}

}  // namespace SkinUI
