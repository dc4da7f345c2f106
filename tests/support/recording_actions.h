#pragma once
// System actions for tests: message boxes are answered with a preset answer
// and every call is recorded; nothing is shown, opened or restarted. A
// journal, when given, outlives the double: it receives the prompts'
// captions and the opened addresses in order, and then "destroyed".

#include <windows.h>

#include <memory>
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

  CRecordingActions() = default;
  explicit CRecordingActions(std::shared_ptr<std::vector<std::wstring>> journal)
      : journal_(std::move(journal)) {}
  CRecordingActions(const CRecordingActions&) = delete;
  CRecordingActions& operator=(const CRecordingActions&) = delete;
  ~CRecordingActions() { Note(L"destroyed"); }

  int ShowMessage(HWND, const wchar_t* text, const wchar_t* caption, UINT type) override {
    messages.push_back({text ? text : L"", caption ? caption : L"", type});
    Note(L"message " + messages.back().caption);
    return answer;
  }
  void OpenAddress(HWND, const wchar_t* address) override {
    opened.push_back(address ? address : L"");
    Note(L"open " + opened.back());
  }
  void BlockShutdown(HWND, const wchar_t* reason) override {
    shutdownBlocks.push_back(reason ? reason : L"");
  }
  bool Restart(UINT flags, DWORD reason) override {
    restarts.push_back({flags, reason});
    return true;
  }

  int answer = IDNO;
  std::vector<TMessage> messages;
  std::vector<std::wstring> opened;
  std::vector<TRestart> restarts;
  // The reasons given, in order; an empty one where shutdown was allowed again.
  std::vector<std::wstring> shutdownBlocks;

 private:
  void Note(const std::wstring& line) {
    if (journal_) journal_->push_back(line);
  }

  std::shared_ptr<std::vector<std::wstring>> journal_;
};

}  // namespace SkinUITest
