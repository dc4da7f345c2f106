#include "tests/agent_refresh/refresh_fixture.h"

#include <algorithm>

std::string CurrentTestName() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

std::string NativeArchitecture() {
  SYSTEM_INFO system = {};
  GetNativeSystemInfo(&system);
  if (system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64) return "x64";
  if (system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64) return "ia64";
  return "x86";
}

std::vector<std::string> ForeignArchitectures() {
  std::vector<std::string> names = {"x86", "x64", "ia64"};
  names.erase(std::find(names.begin(), names.end(), NativeArchitecture()));
  return names;
}

std::string CatalogueXml(const std::vector<CatalogueEntry>& entries) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<WURedist>\n"
      "  <StandaloneRedist Version=\"41\">\n";
  for (const CatalogueEntry& entry : entries) {
    xml += "    <architecture name=\"" + entry.name + "\"";
    if (entry.clientVersion) xml += " clientVersion=\"" + *entry.clientVersion + "\"";
    if (entry.downloadUrl) xml += " downloadUrl=\"" + *entry.downloadUrl + "\"";
    xml += "/>\n    <!-- between entries -->\n";
  }
  xml += "    <MUAuthCab downloadUrl=\"http://127.0.0.1:9/muauth.cab\"/>\n";
  xml += "  </StandaloneRedist>\n</WURedist>\n";
  return xml;
}

bool StubVerifier::IsVendorSigned(HANDLE file, const char* path) {
  std::string name = path;
  if (name.size() < 4 || name.compare(name.size() - 4, 4, ".exe") != 0) {
    cabinetPaths.push_back(name);
    return cabinetAnswer;
  }
  bool verdict = systemCheckForInstallers
                     ? SystemVendorSignatureVerifier().IsVendorSigned(file, path)
                     : answer;
  paths.push_back(name);
  HANDLE writer = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool held = writer == INVALID_HANDLE_VALUE && !DeleteFileA(path);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  char head[2] = {};
  DWORD got = 0;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  bool readable = ReadFile(file, head, 2, &got, nullptr) && got == 2 && head[0] == 'M';
  heldAndReadable.push_back(held && readable);
  return verdict;
}

bool RecordingStarter::StartProcess(char* commandLine, const char* currentDirectory,
                                    PROCESS_INFORMATION* process) {
  commandLines.push_back(commandLine);
  directories.push_back(currentDirectory);
  if (refuse) return false;
  bool started = SystemProcessStarter().StartProcess(commandLine, currentDirectory, process);
  if (started && !versionsInstalled.empty()) {
    agent->Catalogue().agentVersion = versionsInstalled.front();
    versionsInstalled.erase(versionsInstalled.begin());
  }
  return started;
}
