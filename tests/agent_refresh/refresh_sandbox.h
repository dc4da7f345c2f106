#pragma once
// File helpers of the refresh tests, and a private temporary path per test so
// that every folder the refresh leaves behind can be counted.

#include <string>
#include <vector>

#include "tests/support/file_links.h"

// The folder of the running test program, without a trailing backslash.
std::string TestProgramFolder();

std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& data);
std::vector<std::string> ReadLines(const std::string& path);
bool FileExists(const std::string& path);
bool MakeFolders(const std::string& path);
// Never descends into a folder that is a link; links to files are another
// matter under Wine (see RemoveLink).
void RemoveTree(const std::string& path);

// A folder of someone else's files that a link may lead to; Intact() says
// whether every file is still there with its content.
class VictimFolder {
 public:
  explicit VictimFolder(const std::string& name);
  ~VictimFolder();
  VictimFolder(const VictimFolder&) = delete;
  VictimFolder& operator=(const VictimFolder&) = delete;

  const std::string& Path() const { return path_; }
  bool Intact() const;

 private:
  std::string path_;
};

// Points TMP and TEMP at a fresh folder under the test program's folder for
// its lifetime. The folder name holds a space, as many user profiles do.
class TempPathSandbox {
 public:
  // `padToLength`: when non-zero, a padding folder makes the temporary path
  // (with its trailing backslash) exactly that long.
  explicit TempPathSandbox(const std::string& name, size_t padToLength = 0);
  ~TempPathSandbox();
  TempPathSandbox(const TempPathSandbox&) = delete;
  TempPathSandbox& operator=(const TempPathSandbox&) = delete;

  const std::string& Path() const { return path_; }  // ends in a backslash
  std::vector<std::string> Entries() const { return EntriesIn(path_); }

 private:
  std::string root_;
  std::string path_;
  std::string savedTmp_;
  std::string savedTemp_;
};

// Sets an environment variable for the lifetime of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::string saved_;
  bool hadValue_;
};
