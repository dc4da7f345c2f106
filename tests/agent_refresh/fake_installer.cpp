// Stands in for the agent installer. It appends what it saw to the file
// named by PATCHWELL_INSTALLER_RECORD: "start <command line>", "dir <current
// folder>" and, when it ends, "exit". Built in three kinds: one that ends at
// once, one whose first thread ends while a second keeps the process alive,
// and one that takes longer than the tests' wait limit.

#include <windows.h>

#include <string>

namespace {

constexpr char kRecordVariable[] = "PATCHWELL_INSTALLER_RECORD";
constexpr DWORD kLingerMs = 2000;
constexpr DWORD kSlowMs = 8000;

void Record(const std::string& line) {
  char path[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableA(kRecordVariable, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

#if defined(FAKE_INSTALLER_LINGERING)
DWORD WINAPI LingerThenExit(void*) {
  Sleep(kLingerMs);
  Record("exit");
  ExitProcess(0);
}
#endif

}  // namespace

int main() {
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  Record(std::string("start ") + GetCommandLineA());
  Record(std::string("dir ") + folder);
#if defined(FAKE_INSTALLER_LINGERING)
  HANDLE second = CreateThread(nullptr, 0, LingerThenExit, nullptr, 0, nullptr);
  if (second) CloseHandle(second);
  ExitThread(0);
#elif defined(FAKE_INSTALLER_SLOW)
  Sleep(kSlowMs);
#endif
  Record("exit");
  return 0;
}
