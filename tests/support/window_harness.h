#pragma once
// The real-window harness of the window tests: a skinned pop-up under Xvfb
// that owns a window manager (made at WM_CREATE, deleted when the native
// window ends), with helpers to install a control tree, send real mouse and
// key messages, pump the queue through the program's own dispatch routing,
// and read the painted pixels back.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/canvas.h"
#include "ui/core/notify.h"
#include "ui/core/window_wnd.h"
#include "ui/window/window_manager.h"

namespace SkinUITest {

// Records every notification the window's listener hears.
class CNotifyRecorder : public SkinUI::INotifyUI {
 public:
  struct TEntry {
    std::wstring type;
    SkinUI::CControlUI* sender = nullptr;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
  };
  void Receive(SkinUI::TNotifyMsg& msg) override;
  int Count(const wchar_t* type) const;
  std::vector<std::wstring> Types() const;
  void Clear() { entries.clear(); }

  std::vector<TEntry> entries;
  // Runs inside Receive after the entry was recorded.
  std::function<void(SkinUI::TNotifyMsg&)> onReceive;
};

// The window manager of the harness: the real one, whose resources also
// write down every image name the drawing code asks them for.
class CHarnessManager : public SkinUI::CWindowManagerUI {
 public:
  CHarnessManager();
  std::vector<std::wstring>& imageRequests;
};

class CHarnessWindow : public SkinUI::CWindowWnd {
 public:
  // A visible pop-up whose client area is width x height at (left, top).
  explicit CHarnessWindow(int width = 240, int height = 160, DWORD exStyle = WS_EX_TOOLWINDOW,
                          int left = 100, int top = 100);
  ~CHarnessWindow() override;

  // Valid while the native window lives.
  CHarnessManager& Manager() { return *manager_; }
  bool HasManager() const { return manager_ != nullptr; }
  CNotifyRecorder& Notifications() { return recorder_; }

  // Installs the tree and lets the first paint lay it out.
  void Install(SkinUI::CControlUI* root);
  // Ends the native window as DestroyWindow does (also from inside a
  // handler), without hiding it first: under Wine hiding a window waits two
  // seconds for the X server.
  void Destroy();
  // Paints what is invalid now.
  void Paint() { UpdateWindow(hwnd); }
  void InvalidateAll() { InvalidateRect(hwnd, nullptr, FALSE); }

  // Sends a mouse message at the client point (screen coordinates for the
  // wheel and the context menu, as the platform does).
  LRESULT Mouse(UINT message, int x, int y, WPARAM keys = 0);
  LRESULT Key(UINT message, WPARAM key) { return Send(message, key, 0); }
  // Posts, then lets the queue run through the program's dispatch routing.
  void PostAndPump(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // Holds or lets go of a key as GetKeyState reports it to this thread.
  static void SetKeyDown(int virtualKey, bool down);

  // Dispatches everything queued, waiting at least milliseconds.
  void Pump(DWORD milliseconds = 0);
  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);

  // What WM_PAINT put on the window, read back from the window's own DC.
  std::unique_ptr<Canvas> ReadScreen() const;
  // The tree painted by WM_PRINTCLIENT into a memory bitmap.
  std::unique_ptr<Canvas> PrintClient() const;
  // Written beside the test program, for looking at.
  static void SavePng(const Canvas& canvas, const wchar_t* fileName);

  POINT ToScreen(int x, int y) const;
  // Puts the real pointer over the client point, or back outside every window.
  void PointerAt(int x, int y) const;
  static void ParkPointer();
  // The tooltip window the manager made, or null.
  HWND FindToolTip() const;

  // Queued mouse messages from the real pointer and the platform's hover and
  // leave notices are dropped while this is on, so that only the messages a
  // test sends count. The platform tracks hover and leave only while the
  // real pointer is over the window (see PointerAt).
  bool quietMouse = true;
  // Messages that reached the window's own handling after the manager.
  std::vector<UINT> ownMessages;

 protected:
  const wchar_t* WindowClassName() const override { return L"SkinUITestHarness"; }
  UINT ClassStyle() const override { return CS_DBLCLKS; }
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnNativeDestroyed(HWND) override { manager_.reset(); }

 private:
  bool Dropped(const MSG& msg) const;

  std::unique_ptr<CHarnessManager> manager_;
  CNotifyRecorder recorder_;
};

}  // namespace SkinUITest
