#include "agent_refresh/agent_installer_run.h"

#include <string>
#include <vector>

#include "agent_refresh/download_to_temp_file.h"
#include "agent_refresh/process_starter.h"
#include "agent_refresh/refresh_limits.h"
#include "agent_refresh/temp_folder.h"
#include "agent_refresh/vendor_signature_verifier.h"
#include "agent_refresh/work_folder.h"
#include "platform/run_log.h"
#include "platform/unique_handle.h"

namespace {

constexpr char kQuietSwitch[] = " /q";

// The path is quoted so that a space in it cannot make the system start a
// different program from a shorter prefix of the path.
bool StartInstaller(const std::string& path, PROCESS_INFORMATION* process) {
  std::string text = "\"" + path + "\"" + kQuietSwitch;
  std::vector<char> commandLine(text.begin(), text.end());
  commandLine.push_back('\0');
  std::string folder = FolderOf(path);
  *process = PROCESS_INFORMATION();
  if (ProcessStarter().StartProcess(commandLine.data(), folder.c_str(), process)) return true;
  *process = PROCESS_INFORMATION();
  return false;
}

}  // namespace

bool RunAgentInstaller(const char* downloadUrl) {
  WorkFolder folder;
  std::string installerPath;
  if (!DownloadToTempFile(&installerPath, downloadUrl, true, &folder)) {
    LogLine(L"agent refresh: the agent installer %S could not be downloaded", downloadUrl);
    return false;
  }

  // Held from the check until the start, so the file started is the one checked.
  UniqueHandle held = OpenVendorSigned(installerPath);
  if (!held) {
    LogLine(L"agent refresh: the agent installer is not signed by the vendor; not run");
    return false;
  }

  PROCESS_INFORMATION process;
  bool started = StartInstaller(installerPath, &process);
  held.reset();
  if (!started) {
    LogLine(L"agent refresh: the agent installer could not be started");
    return true;
  }

  UniqueHandle processHandle(process.hProcess);
  UniqueHandle threadHandle(process.hThread);
  // The process, not its first thread: an installer may end that thread
  // early and go on working in others.
  const DWORD waited =
      WaitForSingleObject(processHandle.get(), CurrentRefreshLimits().installerWaitMs);
  DWORD exitCode = 0;
  if (waited == WAIT_OBJECT_0 && GetExitCodeProcess(processHandle.get(), &exitCode)) {
    LogLine(L"agent refresh: the agent installer ended with code %u", exitCode);
  } else {
    LogLine(L"agent refresh: the agent installer still runs; the scan goes on");
  }
  return true;
}
