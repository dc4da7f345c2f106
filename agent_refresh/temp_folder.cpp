#include "agent_refresh/temp_folder.h"

#include <cstring>

bool AppendBounded(std::string* path, const char* tail) {
  size_t tailLength = std::strlen(tail);
  if (path->size() + tailLength > kMaxPathLength) return false;
  path->append(tail, tailLength);
  return true;
}

std::string FolderOf(const std::string& filePath) {
  size_t slash = filePath.find_last_of('\\');
  return slash == std::string::npos ? std::string() : filePath.substr(0, slash);
}
