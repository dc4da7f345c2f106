#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/run_log.h"
#include "tests/support/file_links.h"

namespace {

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of('\\'));
}

std::string ReadText(const std::string& path) {
  std::string text;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
    text.append(buffer, read);
  CloseHandle(file);
  return text;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A log folder of its own beside the test program, gone afterwards.
class RunLog : public ::testing::Test {
 protected:
  RunLog() : folder(ProgramFolder() + "\\run log test") { Clear(); }
  ~RunLog() override {
    CloseRunLog();
    Clear();
  }

  void Clear() {
    DeleteFileA((folder + "\\patchwell.log").c_str());
    DeleteFileA((folder + "\\patchwell.log.1").c_str());
    RemoveDirectoryA(folder.c_str());
  }

  std::string Log() { return ReadText(folder + "\\patchwell.log"); }

  std::string folder;
};

}  // namespace

TEST_F(RunLog, LinesAreAppendedWithTheTimeAndAreThereForTheNextRun) {
  ASSERT_TRUE(OpenRunLog(Wide(folder)));
  EXPECT_EQ(Wide(folder) + L"\\patchwell.log", RunLogPath());
  LogLine(L"start: %S %d", "Patchwell", 7);
  LogLine(L"title \u00fcber");
  CloseRunLog();
  EXPECT_EQ(L"", RunLogPath());
  LogLine(L"not written: the log is closed");

  ASSERT_TRUE(OpenRunLog(Wide(folder))) << "the folder made by the first run is used again";
  LogLine(L"second run");
  CloseRunLog();

  const std::string log = Log();
  EXPECT_NE(std::string::npos, log.find(" start: Patchwell 7\r\n")) << log;
  EXPECT_NE(std::string::npos, log.find(" title \xc3\xbc"
                                        "ber\r\n"))
      << "UTF-8";
  EXPECT_NE(std::string::npos, log.find(" second run\r\n"));
  EXPECT_EQ(std::string::npos, log.find("not written"));
  EXPECT_EQ('2', log[0]) << "each line starts with the date";
}

TEST_F(RunLog, AtItsLimitTheLogMovesAsideOnceAndStartsAgain) {
  ASSERT_TRUE(OpenRunLog(Wide(folder), 300));
  for (int i = 0; i < 20; ++i) LogLine(L"line %02d of a log that grows past its limit", i);
  CloseRunLog();

  const std::string current = Log();
  const std::string older = ReadText(folder + "\\patchwell.log.1");
  EXPECT_LT(current.size(), 300u);
  EXPECT_GE(older.size(), 300u);
  EXPECT_LT(older.size(), 400u) << "one line past the limit at most";
  EXPECT_NE(std::string::npos, (older + current).find("line 19"));
  EXPECT_EQ(std::string::npos, (older + current).find("line 00")) << "only one older file";
  EXPECT_FALSE(Exists(folder + "\\patchwell.log.2"));
}

TEST_F(RunLog, AFolderThatCannotBeMadeLeavesTheRunWithoutALog) {
  const std::string file = folder + " is a file";
  HANDLE made = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, made);
  CloseHandle(made);

  EXPECT_FALSE(OpenRunLog(Wide(file)));
  EXPECT_FALSE(OpenRunLog(Wide(file + "\\below a file")));
  EXPECT_FALSE(OpenRunLog(L""));
  LogLine(L"dropped");
  EXPECT_EQ(L"", RunLogPath());
  DeleteFileA(file.c_str());
}

TEST_F(RunLog, ALinkPlantedInPlaceOfTheFolderIsNotFollowed) {
  const std::string target = folder + " target";
  CreateDirectoryA(target.c_str(), nullptr);
  DeleteFileA((target + "\\patchwell.log").c_str());
  ASSERT_TRUE(PlantLink(folder, target));

  EXPECT_FALSE(OpenRunLog(Wide(folder)));
  LogLine(L"must not reach the target");

  EXPECT_FALSE(Exists(target + "\\patchwell.log"));
  RemoveLink(folder);
  DeleteFileA((target + "\\patchwell.log").c_str());
  RemoveDirectoryA(target.c_str());
}
