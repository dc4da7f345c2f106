#pragma once
// The temporary folders of the refresh. They sit in the user's temporary
// folder, which the user's other, non-elevated processes can write, so each
// one is made for the elevated process alone and held while in use: nobody
// else may write into it, rename it or put a link in its place, and its
// removal never deletes anything a link leads to.

#include <windows.h>

#include <memory>
#include <string>

#include "platform/unique_handle.h"

class WorkFolder {
 public:
  WorkFolder() = default;
  ~WorkFolder() { Remove(); }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  // Creates <temp path><uuid text> (no separator, no trailing backslash)
  // with ElevatedOnlySecurityDescriptor and keeps it open without delete
  // sharing, retrying while the name is taken. Fails without creating
  // anything when the folder plus `reserve` more characters would not fit
  // in kMaxPathLength.
  bool Create(size_t reserve);

  const std::string& Path() const { return path_; }

  // Deletes what lies directly in the folder, then the folder. Only objects
  // that really are at <folder>\<name> are deleted: a link is removed
  // itself, and whatever was reached through one is left alone. Anything
  // still in use stays, and so does the folder.
  void Remove();

 private:
  void RemoveEntries() const;

  std::string path_;
  std::wstring widePath_;
  std::wstring finalPath_;  // where the system put the folder, read back when made
  UniqueHandle held_;
};

struct LocalMemoryFree {
  void operator()(void* memory) const { LocalFree(memory); }
};
using UniqueSecurityDescriptor = std::unique_ptr<void, LocalMemoryFree>;

// Owner Administrators; full access for SYSTEM and Administrators, passed on
// to everything inside; nothing inherited from the temporary folder.
UniqueSecurityDescriptor ElevatedOnlySecurityDescriptor();
