#pragma once
// Where the agent's callbacks leave what they read. The platform promises no
// particular thread for callbacks, so they only copy plain data in here and
// wake the agent thread, which does the rest outside every callback.

#include <windows.h>
#include <oaidl.h>

#include <deque>
#include <mutex>
#include <variant>

#include "platform/unique_handle.h"
#include "updates/agent_reports.h"

enum class AgentJobKind { kDownload, kInstallation };

// A job's completion, with whether its state named the client that began it.
struct TJobCompleted {
  AgentJobKind kind = AgentJobKind::kDownload;
  bool ownJob = false;
};

using TCallbackEvent = std::variant<TDownloadReport, TInstallReport, TJobCompleted>;

class CCallbackInbox {
 public:
  // The job state every job of one client is begun with.
  explicit CCallbackInbox(LONGLONG jobToken);
  CCallbackInbox(const CCallbackInbox&) = delete;
  CCallbackInbox& operator=(const CCallbackInbox&) = delete;

  void Push(TCallbackEvent event);
  std::deque<TCallbackEvent> TakeAll();
  // Set while events wait; the agent thread waits on it.
  HANDLE Signal() const { return signal_.get(); }
  bool IsOwnJobState(const VARIANT& state) const;
  LONGLONG JobToken() const { return jobToken_; }

 private:
  const LONGLONG jobToken_;
  UniqueHandle signal_;
  std::mutex mutex_;
  std::deque<TCallbackEvent> events_;
};
