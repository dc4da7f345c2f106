#include "tests/support/window_harness.h"

#include <algorithm>

namespace SkinUITest {

namespace {

// Far from every test window, so that the real pointer hovers nothing.
constexpr POINT kParkedPointer = {1270, 1015};
constexpr int kMaxMessagesPerRound = 500;

bool IsMouseMessage(UINT message) {
  return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_MOUSEHOVER ||
         message == WM_MOUSELEAVE;
}

}  // namespace

void CNotifyRecorder::Receive(SkinUI::TNotifyMsg& msg) {
  entries.push_back({msg.type.GetData(), msg.sender, msg.wParam, msg.lParam});
  if (onReceive) onReceive(msg);
}

int CNotifyRecorder::Count(const wchar_t* type) const {
  return static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                        [type](const TEntry& e) { return e.type == type; }));
}

std::vector<std::wstring> CNotifyRecorder::Types() const {
  std::vector<std::wstring> types;
  for (const TEntry& entry : entries) types.push_back(entry.type);
  return types;
}

namespace {

class CRecordingResources : public SkinUI::CWindowResourcesUI {
 public:
  SkinUI::ImageRecord* ObtainImage(const wchar_t* name, const wchar_t* resourceType,
                                   DWORD mask) override {
    requests.push_back(name != nullptr ? name : L"");
    return CWindowResourcesUI::ObtainImage(name, resourceType, mask);
  }

  std::vector<std::wstring> requests;
};

}  // namespace

CHarnessManager::CHarnessManager()
    : CWindowManagerUI(std::make_unique<CRecordingResources>()),
      imageRequests(static_cast<CRecordingResources&>(Resources()).requests) {}

CHarnessWindow::CHarnessWindow(int width, int height, DWORD exStyle, int left, int top) {
  ParkPointer();
  RECT frame = {left, top, left + width, top + height};
  AdjustWindowRectEx(&frame, WS_POPUP, FALSE, exStyle);
  CreateNativeWindow(nullptr, L"harness", WS_POPUP | WS_VISIBLE, exStyle, frame);
  if (hwnd == nullptr) return;
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
  Pump();
}

CHarnessWindow::~CHarnessWindow() {
  Destroy();
  ParkPointer();
  SetKeyDown(VK_SHIFT, false);
  SetKeyDown(VK_MENU, false);
}

LRESULT CHarnessWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    manager_ = std::make_unique<CHarnessManager>();
    manager_->AttachWindow(hwnd);
    manager_->AddListener(&recorder_);
  }
  if (manager_ != nullptr) {
    LRESULT result = 0;
    if (manager_->HandleWindowMessage(message, wParam, lParam, result)) return result;
  }
  ownMessages.push_back(message);
  return CWindowWnd::OnMessage(message, wParam, lParam);
}

void CHarnessWindow::Destroy() {
  if (hwnd == nullptr || !IsWindow(hwnd)) return;
  SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~WS_VISIBLE);
  DestroyWindow(hwnd);
}

void CHarnessWindow::Install(SkinUI::CControlUI* root) {
  manager_->SetRootControl(root);
  InvalidateAll();
  Paint();
  Pump();
}

POINT CHarnessWindow::ToScreen(int x, int y) const {
  POINT point = {x, y};
  ClientToScreen(hwnd, &point);
  return point;
}

void CHarnessWindow::PointerAt(int x, int y) const {
  const POINT screen = ToScreen(x, y);
  SetCursorPos(screen.x, screen.y);
}

void CHarnessWindow::ParkPointer() {
  SetCursorPos(kParkedPointer.x, kParkedPointer.y);
}

LRESULT CHarnessWindow::Mouse(UINT message, int x, int y, WPARAM keys) {
  POINT point = {x, y};
  if (message == WM_MOUSEWHEEL || message == WM_CONTEXTMENU) point = ToScreen(x, y);
  const LPARAM lParam = MAKELPARAM(static_cast<short>(point.x), static_cast<short>(point.y));
  return Send(message, keys, lParam);
}

void CHarnessWindow::PostAndPump(UINT message, WPARAM wParam, LPARAM lParam) {
  PostMessageW(hwnd, message, wParam, lParam);
  Pump();
}

void CHarnessWindow::SetKeyDown(int virtualKey, bool down) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[virtualKey] = down ? 0x80 : 0;
  SetKeyboardState(state);
}

bool CHarnessWindow::Dropped(const MSG& msg) const {
  return quietMouse && msg.hwnd == hwnd && IsMouseMessage(msg.message);
}

void CHarnessWindow::Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    // A window that keeps invalidating itself would keep this loop busy for
    // ever; the bound hands control back to the test.
    for (int handled = 0;
         handled < kMaxMessagesPerRound && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
         ++handled) {
      if (Dropped(msg) || SkinUI::CWindowManagerUI::RouteBeforeDispatch(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (GetTickCount() - start < milliseconds) Sleep(2);
  } while (GetTickCount() - start < milliseconds);
}

bool CHarnessWindow::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Pump(5);
  }
  return true;
}

std::unique_ptr<Canvas> CHarnessWindow::ReadScreen() const {
  RECT client = {};
  GetClientRect(hwnd, &client);
  auto canvas = std::make_unique<Canvas>(client.right, client.bottom, 0xFF000000);
  HDC windowDC = GetDC(hwnd);
  BitBlt(canvas->dc(), 0, 0, client.right, client.bottom, windowDC, 0, 0, SRCCOPY);
  ReleaseDC(hwnd, windowDC);
  return canvas;
}

std::unique_ptr<Canvas> CHarnessWindow::PrintClient() const {
  RECT client = {};
  GetClientRect(hwnd, &client);
  auto canvas = std::make_unique<Canvas>(client.right, client.bottom, 0xFF000000);
  SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas->dc()), PRF_CLIENT);
  return canvas;
}

void CHarnessWindow::SavePng(const Canvas& canvas, const wchar_t* fileName) {
  std::vector<DWORD> pixels = canvas.Pixels();
  for (DWORD& pixel : pixels) pixel |= 0xFF000000;  // what the screen shows is opaque
  WritePng(ProgramFolder() + L"\\" + fileName, canvas.width(), canvas.height(), pixels);
}

HWND CHarnessWindow::FindToolTip() const {
  struct TSearch {
    HWND owner;
    HWND found;
  } search = {hwnd, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND candidate, LPARAM data) WINAPI -> BOOL {
        auto* s = reinterpret_cast<TSearch*>(data);
        wchar_t name[64] = {};
        GetClassNameW(candidate, name, 64);
        if (GetWindow(candidate, GW_OWNER) != s->owner || lstrcmpiW(name, TOOLTIPS_CLASSW) != 0) {
          return TRUE;
        }
        s->found = candidate;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace SkinUITest
