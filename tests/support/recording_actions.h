#pragma once
// System actions for tests: message boxes are answered with a preset answer
// and every call is recorded; nothing is shown, opened or restarted.

#include <windows.h>

#include <string>
#include <vector>

#include "app/system_actions.h"

namespace SkinUITest {

class CRecordingActions : public ISystemActions {
 public:
  struct TMessage {
    std::wstring text;
    std::wstring caption;
    UINT type;
  };
  struct TRestart {
    UINT flags;
    DWORD reason;
  };

  int ShowMessage(HWND, const wchar_t* text, const wchar_t* caption, UINT type) override {
    messages.push_back({text ? text : L"", caption ? caption : L"", type});
    return answer;
  }
  void OpenAddress(HWND, const wchar_t* address) override {
    opened.push_back(address ? address : L"");
  }
  bool Restart(UINT flags, DWORD reason) override {
    restarts.push_back({flags, reason});
    return true;
  }

  int answer = IDNO;
  std::vector<TMessage> messages;
  std::vector<std::wstring> opened;
  std::vector<TRestart> restarts;
};

}  // namespace SkinUITest
