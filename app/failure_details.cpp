#include "app/failure_details.h"

#include <cwctype>

#include "updates/update_error_reasons.h"

namespace {

constexpr LONG kResultInProgress = 1;
constexpr LONG kResultSucceeded = 2;
constexpr wchar_t kIndent[] = L"    ";

std::wstring Capitalised(const wchar_t* text) {
  std::wstring result(text);
  if (!result.empty()) result[0] = static_cast<wchar_t>(std::towupper(result[0]));
  return result;
}

// "Failed, 0x80070643: The update's installer reported an error."
std::wstring OutcomeLine(LONG resultCode, HRESULT result) {
  std::wstring line = Capitalised(UpdateResultName(resultCode)) + L", " + HresultText(result);
  if (const wchar_t* reason = UpdateErrorReason(result)) line += std::wstring(L": ") + reason;
  return line;
}

std::wstring OperationLine(HRESULT result) {
  std::wstring line = L"The installation could not run: " + HresultText(result);
  if (const wchar_t* reason = UpdateErrorReason(result)) line += std::wstring(L": ") + reason;
  return line;
}

std::wstring MoreLine(size_t more) {
  return L"... and " + std::to_wstring(more) + (more == 1 ? L" more update" : L" more updates") +
         L" that failed (see the log)";
}

}  // namespace

bool OutcomeFailed(const TUpdateOutcome& outcome) {
  const bool ended =
      outcome.resultCode == kResultSucceeded || outcome.resultCode == kResultInProgress;
  return !ended || outcome.result < 0;
}

TFailureFacts FailureFactsOf(const TAgentReport& report) {
  TFailureFacts facts;
  if (const auto* install = std::get_if<TInstallReport>(&report)) {
    facts.outcomes = install->outcomes;
    if (facts.outcomes.empty()) {
      facts.outcomes.push_back(
          TUpdateOutcome{install->title, install->resultCode, install->result});
    }
  } else if (const auto* ended = std::get_if<TInstallationEnded>(&report)) {
    facts.outcomes = ended->outcomes;
    facts.operationResult = ended->result;
  }
  return facts;
}

std::wstring FailureDetailsText(const TFailureFacts& facts, const std::wstring& logPath,
                                int maxLines,
                                const std::function<std::wstring(const std::wstring&)>& fit) {
  std::vector<std::wstring> lines;
  std::vector<const TUpdateOutcome*> failed;
  for (const TUpdateOutcome& outcome : facts.outcomes) {
    if (OutcomeFailed(outcome)) failed.push_back(&outcome);
  }
  const int logLines = logPath.empty() ? 0 : 1;
  int room = maxLines - logLines;
  if (failed.empty() && FAILED(facts.operationResult) && room > 0) {
    lines.push_back(fit(OperationLine(facts.operationResult)));
    --room;
  }
  for (size_t i = 0; i < failed.size(); ++i) {
    const size_t left = failed.size() - i;
    // When not all fit, one line is kept to count the rest.
    const bool restFits = room >= 2 * static_cast<int>(left);
    if (!restFits && room < 3) {
      if (room >= 1) lines.push_back(fit(MoreLine(left)));
      break;
    }
    lines.push_back(fit(failed[i]->title));
    lines.push_back(fit(kIndent + OutcomeLine(failed[i]->resultCode, failed[i]->result)));
    room -= 2;
  }
  if (logLines > 0) lines.push_back(fit(L"Log: " + logPath));
  std::wstring text;
  for (const std::wstring& line : lines) {
    if (!text.empty()) text += L"\r\n";
    text += line;
  }
  return text;
}
