#include "tests/support/probe_control.h"

#include <cwchar>

#include "ui/render/draw_kit.h"

namespace SkinUITest {

std::vector<std::string> CEventLog::Entries() const {
  std::vector<std::string> entries;
  for (const TEventRecord& record : records) {
    std::string name(record.control.begin(), record.control.end());
    entries.push_back(name + ":" + std::to_string(record.kind));
  }
  return entries;
}

std::vector<int> CEventLog::KindsOf(const wchar_t* control) const {
  std::vector<int> kinds;
  for (const TEventRecord& record : records) {
    if (record.control == control) kinds.push_back(record.kind);
  }
  return kinds;
}

int CEventLog::Count(const wchar_t* control, int kind) const {
  int count = 0;
  for (const TEventRecord& record : records) {
    if (record.control == control && record.kind == kind) ++count;
  }
  return count;
}

const TEventRecord* CEventLog::Last(const wchar_t* control, int kind) const {
  for (auto it = records.rbegin(); it != records.rend(); ++it) {
    if (it->control == control && it->kind == kind) return &*it;
  }
  return nullptr;
}

CProbeControlUI::CProbeControlUI(const wchar_t* name, CEventLog* log, int x, int y, int width,
                                 int height)
    : log_(log) {
  SetName(name);
  SetFixedOffset(SIZE{x, y});
  SetFixedWidth(width);
  SetFixedHeight(height);
}

CProbeControlUI::~CProbeControlUI() {
  TEventRecord record;
  record.control = GetName().GetData();
  record.kind = kProbeDestroyed;
  if (log_ != nullptr) log_->records.push_back(record);
}

void* CProbeControlUI::InterfaceFor(const wchar_t* interfaceName) {
  if (wantsTab && interfaceName != nullptr && wcscmp(interfaceName, L"WantsTab") == 0) {
    return this;
  }
  return CControlUI::InterfaceFor(interfaceName);
}

bool CProbeControlUI::Activate() {
  ++activations;
  return CControlUI::Activate();
}

void CProbeControlUI::SetBounds(const RECT& rect) {
  ++placements;
  CControlUI::SetBounds(rect);
  if (relayoutOnEveryPlacement) RequestRelayout();
}

void CProbeControlUI::HandleEvent(SkinUI::TControlEvent& event) {
  TEventRecord record;
  record.control = GetName().GetData();
  record.kind = event.kind;
  record.sender = event.sender;
  record.key = event.key;
  record.wParam = event.wParam;
  record.lParam = event.lParam;
  record.point = event.point;
  record.keyState = event.keyState;
  if (log_ != nullptr) log_->records.push_back(record);
  CControlUI::HandleEvent(event);
}

void CProbeControlUI::PaintOverlay(HDC dc, const RECT& dirty) {
  RECT area;
  if (overlayColor != 0 && IntersectRect(&area, &dirty, &ItemRect())) {
    SkinUI::CDrawKit::FillColor(dc, area, overlayColor);
  }
}

}  // namespace SkinUITest
