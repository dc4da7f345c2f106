#include <gtest/gtest.h>

#include <wuerror.h>

#include <string>

#include "app/failure_details.h"
#include "updates/update_error_reasons.h"

namespace {

// Cuts every line at 40 characters, as a narrow message area would.
std::wstring FortyWide(const std::wstring& line) {
  return line.size() <= 40 ? line : line.substr(0, 37) + L"...";
}

std::wstring Details(const TFailureFacts& facts, int lines, const std::wstring& log = L"") {
  return FailureDetailsText(facts, log, lines, FortyWide);
}

const HRESULT kInstallerError = HRESULT_FROM_WIN32(ERROR_INSTALL_FAILURE);

}  // namespace

TEST(FailureDetails, KnownCodesGetAReasonAndUnknownOnesTheirHexAlone) {
  EXPECT_STREQ(L"Every update of the operation failed.",
               UpdateErrorReason(WU_E_ALL_UPDATES_FAILED));
  EXPECT_STREQ(L"There is not enough free disk space.",
               UpdateErrorReason(HRESULT_FROM_WIN32(ERROR_DISK_FULL)));
  EXPECT_STREQ(L"A restart is pending; restart the computer and try again.",
               UpdateErrorReason(WU_E_UH_POSTREBOOTSTILLPENDING));
  EXPECT_EQ(nullptr, UpdateErrorReason(static_cast<HRESULT>(0x8024ABCD)));
  EXPECT_EQ(nullptr, UpdateErrorReason(S_OK));

  EXPECT_EQ(L"0x80240022 (Every update of the operation failed.)",
            DescribeHresult(WU_E_ALL_UPDATES_FAILED));
  EXPECT_EQ(L"0x8024ABCD", DescribeHresult(static_cast<HRESULT>(0x8024ABCD)));
  EXPECT_EQ(L"0x00000000", HresultText(S_OK));
}

TEST(FailureDetails, EachUpdateThatDidNotSucceedIsNamedWithHowItEndedAndWhy) {
  TFailureFacts facts;
  facts.outcomes = {
      {L"Security Update (KB1)", 2, S_OK},
      {L"Cumulative Update for a very long product name (KB2)", 4, kInstallerError},
      {L"Stack Update (KB3)", 5, WU_E_CALL_CANCELLED},
      {L"Defender (KB4)", 3, static_cast<HRESULT>(0x8024ABCD)},
      {L"Still running but broken (KB5)", 1, E_FAIL},
  };

  const std::wstring text = Details(facts, 20, L"C:\\ProgramData\\Patchwell\\patchwell.log");

  EXPECT_EQ(
      L"Cumulative Update for a very long pro...\r\n"
      L"    Failed, 0x80070643: The update's ...\r\n"
      L"Stack Update (KB3)\r\n"
      L"    Aborted, 0x8024000B: The operatio...\r\n"
      L"Defender (KB4)\r\n"
      L"    Succeeded with errors, 0x8024ABCD\r\n"
      L"Still running but broken (KB5)\r\n"
      L"    In progress, 0x80004005: An unspe...\r\n"
      L"Log: C:\\ProgramData\\Patchwell\\patchwe...",
      text);
}

TEST(FailureDetails, WhatDoesNotFitIsCountedAndTheLogAlwaysShows) {
  TFailureFacts facts;
  for (int i = 1; i <= 4; ++i) facts.outcomes.push_back({L"U" + std::to_wstring(i), 4, E_FAIL});

  EXPECT_EQ(
      L"U1\r\n    Failed, 0x80004005: An unspecifie...\r\n"
      L"U2\r\n    Failed, 0x80004005: An unspecifie...\r\n"
      L"... and 2 more updates that failed (s...\r\nLog: L",
      Details(facts, 6, L"L"));
  EXPECT_EQ(
      L"U1\r\n    Failed, 0x80004005: An unspecifie...\r\n"
      L"... and 3 more updates that failed (s...",
      Details(facts, 3));
  EXPECT_EQ(L"... and 4 more updates that failed (s...\r\nLog: L", Details(facts, 2, L"L"));
  facts.outcomes.resize(2);
  EXPECT_EQ(
      L"U1\r\n    Failed, 0x80004005: An unspecifie...\r\n"
      L"U2\r\n    Failed, 0x80004005: An unspecifie...",
      Details(facts, 4));
}

TEST(FailureDetails, AnInstallationThatCouldNotRunSaysWhy) {
  TFailureFacts facts;
  facts.operationResult = WU_E_NO_SERVICE;
  EXPECT_EQ(L"The installation could not run: 0x802...", Details(facts, 6));

  const TInstallReport final{L"Only update", L"id", 1, 1, 100, 100, 4, kInstallerError, {}};
  const TFailureFacts fromReport = FailureFactsOf(final);
  ASSERT_EQ(1u, fromReport.outcomes.size());
  EXPECT_EQ(L"Only update", fromReport.outcomes[0].title);
  EXPECT_EQ(kInstallerError, fromReport.outcomes[0].result);

  const TFailureFacts fromEnd =
      FailureFactsOf(TInstallationEnded{false, E_ACCESSDENIED, {{L"A", 4, E_FAIL}}});
  EXPECT_EQ(E_ACCESSDENIED, fromEnd.operationResult);
  EXPECT_EQ(1u, fromEnd.outcomes.size());
}
