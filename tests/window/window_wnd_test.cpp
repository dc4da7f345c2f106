// The window base with real native windows: class registration, binding
// during creation, the end of the native window, centring, show and close.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <vector>

#include "tests/support/pump.h"
#include "ui/core/window_wnd.h"

namespace {

using SkinUI::CWindowWnd;
using SkinUITest::PumpFor;
using SkinUITest::PumpUntil;

constexpr UINT kThrowingMessage = WM_APP + 1;
constexpr UINT kAnsweredMessage = WM_APP + 2;
constexpr LRESULT kAnswer = 42;
constexpr wchar_t kObjectProperty[] = L"WndX";

// Records what reaches the object and what it sees when its window ends.
class RecordingWindow : public CWindowWnd {
 public:
  explicit RecordingWindow(const wchar_t* className, const wchar_t* baseClass = nullptr)
      : className_(className), baseClass_(baseClass) {}

  HWND CreatePopup(int width = 200, int height = 100, HWND owner = nullptr, int x = 10,
                   int y = 10) {
    return CreateNativeWindow(owner, L"test", WS_POPUP, WS_EX_TOOLWINDOW, x, y, width, height);
  }

  bool Saw(UINT message) const {
    return std::find(messages.begin(), messages.end(), message) != messages.end();
  }
  size_t IndexOf(UINT message) const {
    return std::find(messages.begin(), messages.end(), message) - messages.begin();
  }

  std::vector<UINT> messages;
  std::vector<WPARAM> closeCodes;
  int endCalls = 0;
  HWND endedHandle = nullptr;
  HWND handleDuringEnd = reinterpret_cast<HWND>(1);
  LONG_PTR userDataDuringEnd = -1;
  HANDLE propertyDuringEnd = reinterpret_cast<HANDLE>(1);

 protected:
  const wchar_t* WindowClassName() const override { return className_; }
  const wchar_t* BaseClassName() const override { return baseClass_; }

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    messages.push_back(message);
    if (message == kThrowingMessage) throw std::runtime_error("handler failed");
    if (message == kAnsweredMessage) return kAnswer;
    if (message == WM_CLOSE) closeCodes.push_back(wParam);
    return CWindowWnd::OnMessage(message, wParam, lParam);
  }

  void OnNativeDestroyed(HWND oldHandle) override {
    ++endCalls;
    endedHandle = oldHandle;
    handleDuringEnd = GetHWND();
    userDataDuringEnd = GetWindowLongPtrW(oldHandle, GWLP_USERDATA);
    propertyDuringEnd = GetPropW(oldHandle, kObjectProperty);
  }

 private:
  const wchar_t* className_;
  const wchar_t* baseClass_;
};

// Deletes itself when its native window ends, as a self-owned pop-up does.
class SelfDeletingWindow : public CWindowWnd {
 public:
  explicit SelfDeletingWindow(bool* deleted) : deleted_(deleted) {}
  ~SelfDeletingWindow() override { *deleted_ = true; }

 protected:
  const wchar_t* WindowClassName() const override { return L"SkinUITestSelfDeleting"; }
  void OnNativeDestroyed(HWND) override { delete this; }

 private:
  bool* deleted_;
};

RECT WorkArea() {
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

RECT WindowRect(HWND hwnd) {
  RECT rc = {};
  GetWindowRect(hwnd, &rc);
  return rc;
}

TEST(WindowBase, RegisteringTheSameClassTwiceSucceedsBothTimes) {
  RecordingWindow first(L"SkinUITestTwice");
  RecordingWindow second(L"SkinUITestTwice");
  EXPECT_TRUE(first.RegisterPlainClass());
  EXPECT_TRUE(second.RegisterPlainClass());
  EXPECT_TRUE(first.RegisterPlainClass());
  ASSERT_NE(nullptr, first.CreatePopup());
  ASSERT_NE(nullptr, second.CreatePopup());
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(GetModuleHandleW(nullptr)),
            GetClassLongPtrW(first.GetHWND(), GCLP_HMODULE));
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)),
            GetClassLongPtrW(first.GetHWND(), GCLP_HCURSOR));
  DestroyWindow(first.GetHWND());
  DestroyWindow(second.GetHWND());
}

TEST(WindowBase, ObjectIsBoundFromNcCreateAndHearsOfTheEndAfterUnbinding) {
  RecordingWindow window(L"SkinUITestBinding");
  const HWND hwnd = window.CreatePopup();
  ASSERT_NE(nullptr, hwnd);
  EXPECT_EQ(hwnd, window.GetHWND());
  ASSERT_FALSE(window.messages.empty());
  EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), window.messages.front());
  ASSERT_TRUE(window.Saw(WM_CREATE));
  EXPECT_LT(window.IndexOf(WM_NCCREATE), window.IndexOf(WM_CREATE));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(static_cast<CWindowWnd*>(&window)),
            GetWindowLongPtrW(hwnd, GWLP_USERDATA));

  EXPECT_TRUE(DestroyWindow(hwnd));
  EXPECT_TRUE(window.Saw(WM_DESTROY));
  EXPECT_FALSE(window.Saw(WM_NCDESTROY));
  EXPECT_EQ(1, window.endCalls);
  EXPECT_EQ(hwnd, window.endedHandle);
  EXPECT_EQ(nullptr, window.handleDuringEnd);
  EXPECT_EQ(0, window.userDataDuringEnd);
  EXPECT_EQ(nullptr, window.GetHWND());

  // The object may be reused for a new window.
  window.messages.clear();
  ASSERT_NE(nullptr, window.CreatePopup());
  EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), window.messages.front());
  DestroyWindow(window.GetHWND());
  EXPECT_EQ(2, window.endCalls);
}

TEST(WindowBase, AWindowMayDeleteItselfWhenItsNativeWindowEnds) {
  bool deleted = false;
  auto* window = new SelfDeletingWindow(&deleted);
  const HWND hwnd = window->CreateNativeWindow(nullptr, L"self", WS_POPUP, 0, 0, 0, 50, 50);
  ASSERT_NE(nullptr, hwnd);
  EXPECT_TRUE(DestroyWindow(hwnd));
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowBase, DerivedFromASystemClassPassesUnhandledMessagesToItsProcedure) {
  RecordingWindow edit(L"SkinUITestEdit", L"EDIT");
  const HWND hwnd =
      edit.CreateNativeWindow(nullptr, L"hello", WS_POPUP | WS_BORDER, 0, 10, 10, 200, 30);
  ASSERT_NE(nullptr, hwnd);
  EXPECT_NE(reinterpret_cast<WNDPROC>(DefWindowProcW), edit.PreviousProc());
  EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), edit.messages.front());
  EXPECT_EQ(static_cast<CWindowWnd*>(&edit), GetPropW(hwnd, kObjectProperty));

  // Only the edit control's own procedure knows these messages.
  edit.Send(EM_SETSEL, 1, 3);
  DWORD start = 0, end = 0;
  edit.Send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(1u, start);
  EXPECT_EQ(3u, end);
  EXPECT_GT(edit.Send(EM_GETLIMITTEXT), 0);
  EXPECT_TRUE(edit.Saw(EM_GETSEL));

  DestroyWindow(hwnd);
  EXPECT_EQ(1, edit.endCalls);
  EXPECT_EQ(nullptr, edit.propertyDuringEnd);
  EXPECT_EQ(nullptr, edit.handleDuringEnd);
}

TEST(WindowBase, AnUnknownBaseClassCreatesNothing) {
  RecordingWindow orphan(L"SkinUITestOrphan", L"SkinUINoSuchBaseClass");
  EXPECT_FALSE(orphan.RegisterDerivedClass());
  EXPECT_EQ(nullptr, orphan.CreatePopup());
  EXPECT_EQ(nullptr, orphan.GetHWND());
  EXPECT_TRUE(orphan.messages.empty());
}

TEST(WindowBase, WindowsCreatedWithoutAnObjectFallToTheDefaultProcedure) {
  RecordingWindow plain(L"SkinUITestUnbound");
  RecordingWindow derived(L"SkinUITestUnboundEdit", L"EDIT");
  ASSERT_TRUE(plain.RegisterPlainClass());
  ASSERT_TRUE(derived.RegisterDerivedClass());
  for (const wchar_t* className : {L"SkinUITestUnbound", L"SkinUITestUnboundEdit"}) {
    SCOPED_TRACE(className);
    HWND hwnd = CreateWindowExW(0, className, L"unbound", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(0, GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    EXPECT_EQ(nullptr, GetPropW(hwnd, kObjectProperty));
    SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"still works"));
    EXPECT_TRUE(DestroyWindow(hwnd));
  }
  EXPECT_TRUE(plain.messages.empty());
  EXPECT_TRUE(derived.messages.empty());
  EXPECT_EQ(0, plain.endCalls);
  EXPECT_EQ(0, derived.endCalls);
}

TEST(WindowBase, CentringKeepsTheWindowInsideTheWorkArea) {
  const RECT work = WorkArea();
  const LONG workWidth = work.right - work.left;
  const LONG workHeight = work.bottom - work.top;

  RecordingWindow huge(L"SkinUITestCentre");
  ASSERT_NE(nullptr, huge.CreatePopup(workWidth + 500, workHeight + 400));
  huge.CenterOnOwner();
  RECT rc = WindowRect(huge);
  EXPECT_EQ(work.left, rc.left);
  EXPECT_EQ(work.top, rc.top);
  EXPECT_EQ(workWidth + 500, rc.right - rc.left);  // the size is left alone
  DestroyWindow(huge);

  RecordingWindow small(L"SkinUITestCentre");
  ASSERT_NE(nullptr, small.CreatePopup(200, 101));
  small.CenterOnOwner();
  rc = WindowRect(small);
  EXPECT_EQ((work.left + work.right) / 2 - 100, rc.left);
  EXPECT_EQ((work.top + work.bottom) / 2 - 50, rc.top);
  DestroyWindow(small);
}

TEST(WindowBase, CentringOnTheOwnerIsClampedAtTheWorkAreaEdges) {
  const RECT work = WorkArea();
  RecordingWindow owner(L"SkinUITestOwner");
  ASSERT_NE(nullptr, owner.CreatePopup(400, 300, nullptr, work.left + 100, work.top + 100));
  RecordingWindow owned(L"SkinUITestOwned");
  ASSERT_NE(nullptr, owned.CreatePopup(100, 50, owner));
  owned.CenterOnOwner();
  RECT rc = WindowRect(owned);
  EXPECT_EQ(work.left + (100 + 500) / 2 - 50, rc.left);
  EXPECT_EQ(work.top + (100 + 400) / 2 - 25, rc.top);

  SetWindowPos(owner, nullptr, work.right - 100, work.bottom - 60, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  owned.CenterOnOwner();
  rc = WindowRect(owned);
  EXPECT_EQ(work.right - 100, rc.left);
  EXPECT_EQ(work.bottom - 50, rc.top);
  DestroyWindow(owned);
  DestroyWindow(owner);
}

TEST(WindowBase, ShowAndPostCloseActOnlyOnLiveWindows) {
  RecordingWindow window(L"SkinUITestShow");
  ASSERT_NE(nullptr, window.CreatePopup());
  const HWND hwnd = window.GetHWND();
  window.Show(true, false);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  window.Show(false);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  window.Show(true, true);
  EXPECT_TRUE(IsWindowVisible(hwnd));

  window.PostClose(7);
  PumpUntil([&] { return !IsWindow(hwnd); });
  ASSERT_EQ(1u, window.closeCodes.size());
  EXPECT_EQ(7u, window.closeCodes[0]);
  EXPECT_FALSE(IsWindow(hwnd));  // the default handling of WM_CLOSE destroyed it
  EXPECT_EQ(1, window.endCalls);

  const size_t seen = window.messages.size();
  window.Show(true);
  window.PostClose(8);
  PumpFor(100);
  EXPECT_EQ(seen, window.messages.size());
}

TEST(WindowBase, SendAndPostReachTheObjectAndExceptionsStayInside) {
  RecordingWindow window(L"SkinUITestSend");
  ASSERT_NE(nullptr, window.CreatePopup());
  EXPECT_EQ(kAnswer, window.Send(kAnsweredMessage));
  EXPECT_EQ(0, window.Send(kThrowingMessage));
  EXPECT_TRUE(window.Post(kAnsweredMessage, 5, 6));
  window.messages.clear();
  PumpUntil([&] { return window.Saw(kAnsweredMessage); });
  EXPECT_TRUE(window.Saw(kAnsweredMessage));
  DestroyWindow(window);
  EXPECT_FALSE(window.Post(kAnsweredMessage));
}

}  // namespace

// Refuses WM_CREATE and deletes itself when the window dies, into storage
// that is poisoned instead of freed, so any later write to the object shows.
class RefusingWindow : public CWindowWnd {
 public:
  static void* operator new(size_t size) {
    EXPECT_LE(size, sizeof(storage));
    return storage;
  }
  static void operator delete(void* block) { memset(block, kPoison, sizeof(storage)); }

  static constexpr unsigned char kPoison = 0xDD;
  alignas(16) static unsigned char storage[256];

 protected:
  const wchar_t* WindowClassName() const override { return L"SkinUITestRefusing"; }
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CREATE) return -1;
    return CWindowWnd::OnMessage(message, wParam, lParam);
  }
  void OnNativeDestroyed(HWND) override { delete this; }
};
alignas(16) unsigned char RefusingWindow::storage[256];

TEST(WindowBase, RefusedCreationLeavesAnObjectThatDeletedItselfUntouched) {
  auto* window = new RefusingWindow;
  EXPECT_EQ(nullptr, window->CreateNativeWindow(nullptr, L"refused", WS_POPUP, 0, 0, 0, 10, 10));
  const auto* bytes = RefusingWindow::storage;
  EXPECT_TRUE(std::all_of(bytes, bytes + sizeof(RefusingWindow),
                          [](unsigned char b) { return b == RefusingWindow::kPoison; }));
}
