#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "simulated_agent/catalogue_file.h"

namespace {

std::wstring TempPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + name;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  CloseHandle(file);
  return ok;
}

// A catalogue file for one test, deleted afterwards.
class CTempCatalogue {
 public:
  CTempCatalogue(const wchar_t* name, const std::string& bytes) : path_(TempPath(name)) {
    written_ = WriteBytes(path_, bytes);
  }
  ~CTempCatalogue() { DeleteFileW(path_.c_str()); }
  const std::wstring& Path() const { return path_; }
  bool Written() const { return written_; }

 private:
  std::wstring path_;
  bool written_ = false;
};

const char kFullFile[] =
    "\xEF\xBB\xBF# a catalogue for a test\r\n"
    "agent_version = 7.6.7600.320\r\n"
    "search_ms = 0\n"
    "pace_ms = 0x10\n"
    "steps_per_update = 2\n"
    "callback_thread = starting\n"
    "abort_never_completes = true\n"
    "fail.begin_install = 0x80240022\n"
    "\n"
    "[update]\n"
    "title = Caf\xC3\xA9 Update = \"quoted\" (KB1)\n"
    "kb = 978886 , 42,\n"
    "auto_select = true\n"
    "description =   spaced out  \n"
    "id = 11111111-2222-3333-4444-555555555555\n"
    "size = 18446744073709551615\n"
    "date = 2024-02-29 23:59:58\n"
    "download = 3 0\n"
    "install = 4 0x80070643\n"
    "eula_required = true\n"
    "reboot_required = true\n"
    "fail_reads = item, kb,accept_eula\n"
    "   [update]   \n"
    "title = Second\n";

}  // namespace

TEST(CatalogueFile, ReadsEveryKeyOfTheAgentAndOfEachUpdate) {
  CTempCatalogue file(L"patchwell-sim-full.txt", kFullFile);
  ASSERT_TRUE(file.Written());
  TSimulatedCatalogue catalogue;
  std::wstring error;
  ASSERT_TRUE(LoadSimulatedCatalogueFile(file.Path(), catalogue, error))
      << std::string(error.begin(), error.end());

  EXPECT_EQ(L"7.6.7600.320", catalogue.agentVersion);
  EXPECT_EQ(0u, catalogue.searchMs);
  EXPECT_EQ(16u, catalogue.paceMs);
  EXPECT_EQ(2u, catalogue.stepsPerUpdate);
  EXPECT_EQ(SimulatedCallbackThread::kStarting, catalogue.callbackThread);
  EXPECT_TRUE(catalogue.abortNeverCompletes);
  EXPECT_EQ(static_cast<HRESULT>(0x80240022), catalogue.failures.beginInstall);
  EXPECT_EQ(S_OK, catalogue.failures.beginDownload);

  ASSERT_EQ(2u, catalogue.updates.size());
  const TSimulatedUpdate& first = catalogue.updates[0];
  EXPECT_EQ(L"Caf\u00e9 Update = \"quoted\" (KB1)", first.title);
  EXPECT_EQ((std::vector<std::wstring>{L"978886", L"42"}), first.kbArticleIds);
  EXPECT_TRUE(first.autoSelect);
  EXPECT_EQ(L"spaced out", first.description);
  EXPECT_EQ(L"11111111-2222-3333-4444-555555555555", first.updateId);
  EXPECT_EQ(18446744073709551615ull, first.sizeBytes);
  SYSTEMTIME date = {};
  ASSERT_TRUE(VariantTimeToSystemTime(first.deployed, &date));
  EXPECT_EQ(2024, date.wYear);
  EXPECT_EQ(2, date.wMonth);
  EXPECT_EQ(29, date.wDay);
  EXPECT_EQ(23, date.wHour);
  EXPECT_EQ(59, date.wMinute);
  EXPECT_EQ(58, date.wSecond);
  EXPECT_EQ(3, first.download.resultCode);
  EXPECT_EQ(S_OK, first.download.hresult);
  EXPECT_EQ(4, first.install.resultCode);
  EXPECT_EQ(static_cast<HRESULT>(0x80070643), first.install.hresult);
  EXPECT_TRUE(first.eulaRequired);
  EXPECT_TRUE(first.rebootRequired);
  EXPECT_EQ(static_cast<unsigned>(kReadItem | kReadKBArticleIDs | kReadAcceptEula),
            first.failingReads);

  const TSimulatedUpdate& second = catalogue.updates[1];
  EXPECT_EQ(L"Second", second.title);
  EXPECT_TRUE(second.kbArticleIds.empty());
  EXPECT_EQ(2, second.install.resultCode);
  EXPECT_EQ(kReadNothing, second.failingReads);
}

TEST(CatalogueFile, NamesTheLineItCannotReadAndKeepsTheCatalogue) {
  struct TCase {
    const wchar_t* text;
    const wchar_t* line;
  };
  const TCase cases[] = {
      {L"pace_ms = 10\nwhat is this\n", L"line 2:"},
      {L"colour = blue\n", L"line 1:"},
      {L"[update]\nagent_version = 1.2\n", L"line 2:"},
      {L"title = before any update\n", L"line 1:"},
      {L"[update]\nsize = -5\n", L"line 2:"},
      {L"[update]\nsize = 18446744073709551616\n", L"line 2:"},
      {L"[update]\ndate = 2023-02-29\n", L"line 2:"},
      {L"[update]\ndate = 2023-13-01\n", L"line 2:"},
      {L"[update]\ndate = 23-1-1\n", L"line 2:"},
      {L"[update]\ndownload = 1 0\n", L"line 2:"},
      {L"[update]\ninstall = 6 0\n", L"line 2:"},
      {L"[update]\ninstall = 4\n", L"line 2:"},
      {L"[update]\ninstall = 4 0x100000000\n", L"line 2:"},
      {L"[update]\nauto_select = yes\n", L"line 2:"},
      {L"[update]\nfail_reads = title, colour\n", L"line 2:"},
      {L"fail.restart = 0x80004005\n", L"line 1:"},
      {L"steps_per_update = 0\n", L"line 1:"},
      {L"steps_per_update = 101\n", L"line 1:"},
      {L"\n\n\npace_ms = 60001\n", L"line 4:"},
      {L"agent_version =\n", L"line 1:"},
      {L"callback_thread = ui\n", L"line 1:"},
      {L"callback_thread = Agent\n", L"line 1:"},
      {L"abort_never_completes = yes\n", L"line 1:"},
      {L"[update]\ncallback_thread = agent\n", L"line 2:"},
  };
  for (const TCase& testCase : cases) {
    TSimulatedCatalogue catalogue = DefaultSimulatedCatalogue();
    std::wstring error;
    EXPECT_FALSE(ParseSimulatedCatalogue(testCase.text, catalogue, error)) << testCase.text;
    EXPECT_EQ(0u, error.find(testCase.line)) << std::string(error.begin(), error.end());
    EXPECT_EQ(8u, catalogue.updates.size());
  }
}

TEST(CatalogueFile, AMissingOrNonUtf8FileIsRefused) {
  TSimulatedCatalogue catalogue = DefaultSimulatedCatalogue();
  std::wstring error;
  EXPECT_FALSE(
      LoadSimulatedCatalogueFile(TempPath(L"patchwell-sim-missing.txt"), catalogue, error));
  EXPECT_FALSE(error.empty());

  CTempCatalogue file(L"patchwell-sim-latin1.txt", "[update]\ntitle = Caf\xE9\n");
  ASSERT_TRUE(file.Written());
  error.clear();
  EXPECT_FALSE(LoadSimulatedCatalogueFile(file.Path(), catalogue, error));
  EXPECT_NE(std::wstring::npos, error.find(L"UTF-8"));
  EXPECT_EQ(8u, catalogue.updates.size());
}

TEST(CatalogueFile, AnEmptyFileGivesAnAgentThatFindsNothing) {
  CTempCatalogue file(L"patchwell-sim-empty.txt", "");
  ASSERT_TRUE(file.Written());
  TSimulatedCatalogue catalogue = DefaultSimulatedCatalogue();
  std::wstring error;
  EXPECT_TRUE(LoadSimulatedCatalogueFile(file.Path(), catalogue, error));
  EXPECT_TRUE(catalogue.updates.empty());
  EXPECT_EQ(TSimulatedCatalogue().agentVersion, catalogue.agentVersion);
  EXPECT_EQ(SimulatedCallbackThread::kAgent, catalogue.callbackThread);
  EXPECT_FALSE(catalogue.abortNeverCompletes);
}

TEST(CatalogueFile, TheEnvironmentVariableChoosesTheFile) {
  TSimulatedCatalogue catalogue;
  std::wstring error;
  SetEnvironmentVariableW(kSimulatedCatalogueVariable, nullptr);
  EXPECT_TRUE(LoadSimulatedCatalogueFromEnvironment(catalogue, error));
  EXPECT_EQ(8u, catalogue.updates.size());

  SetEnvironmentVariableW(kSimulatedCatalogueVariable, L"");
  EXPECT_TRUE(LoadSimulatedCatalogueFromEnvironment(catalogue, error));
  EXPECT_EQ(8u, catalogue.updates.size());

  CTempCatalogue file(L"patchwell-sim-env.txt",
                      "agent_version = 1.2.3.4\n[update]\ntitle = Only\n");
  ASSERT_TRUE(file.Written());
  SetEnvironmentVariableW(kSimulatedCatalogueVariable, file.Path().c_str());
  EXPECT_TRUE(LoadSimulatedCatalogueFromEnvironment(catalogue, error));
  ASSERT_EQ(1u, catalogue.updates.size());
  EXPECT_EQ(L"Only", catalogue.updates[0].title);
  EXPECT_EQ(L"1.2.3.4", catalogue.agentVersion);

  SetEnvironmentVariableW(kSimulatedCatalogueVariable, TempPath(L"patchwell-sim-none.txt").c_str());
  EXPECT_FALSE(LoadSimulatedCatalogueFromEnvironment(catalogue, error));
  EXPECT_EQ(8u, catalogue.updates.size());
  SetEnvironmentVariableW(kSimulatedCatalogueVariable, nullptr);
}
