#pragma once
// The fixture of the refresh tests: a loopback server, the simulated agent, a
// verifier and a process starter that record what the refresh does, and a
// private temporary path.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "agent_refresh/process_starter.h"
#include "agent_refresh/refresh_limits.h"
#include "agent_refresh/refresh_update_agent.h"
#include "agent_refresh/vendor_signature_verifier.h"
#include "simulated_agent/simulated_agent_factory.h"
#include "tests/agent_refresh/cabinet_writer.h"
#include "tests/support/loopback_http_server.h"
#include "tests/agent_refresh/refresh_sandbox.h"

constexpr wchar_t kInstalledVersion[] = L"7.6.7600.256";
constexpr char kNewerVersion[] = "7.6.7600.320";
constexpr DWORD kStallMs = 1000;

std::string CurrentTestName();

// Worked out here the same way the product must, not assumed: a 64-bit
// Wine prefix reports x64, a 32-bit one x86.
std::string NativeArchitecture();
std::vector<std::string> ForeignArchitectures();

struct CatalogueEntry {
  std::string name;
  std::optional<std::string> clientVersion;
  std::optional<std::string> downloadUrl;
};

std::string CatalogueXml(const std::vector<CatalogueEntry>& entries);

// Judges installers as the test says (or leaves them to the system check),
// and notes whether the file it was shown was really held against change at
// that moment. Catalogue cabinets are judged by `cabinetAnswer`.
class StubVerifier final : public IVendorSignatureVerifier {
 public:
  bool IsVendorSigned(HANDLE file, const char* path) override;

  bool answer = true;
  bool cabinetAnswer = true;
  bool systemCheckForInstallers = false;
  std::vector<std::string> paths;  // installers only
  std::vector<bool> heldAndReadable;
  std::vector<std::string> cabinetPaths;
};

// Starts the installer for real (it is one of our own test programs) and
// records how; after each start the agent reports the version that
// installer would have brought, if the test gave one.
class RecordingStarter final : public IProcessStarter {
 public:
  bool StartProcess(char* commandLine, const char* currentDirectory,
                    PROCESS_INFORMATION* process) override;

  bool refuse = false;
  CSimulatedAgentFactory* agent = nullptr;
  std::vector<std::wstring> versionsInstalled;
  std::vector<std::string> commandLines;
  std::vector<std::string> directories;
};

class RefreshTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    agent_.Catalogue().agentVersion = kInstalledVersion;
    SetUpdateAgentFactory(&agent_);
    starter_.agent = &agent_;
    SetVendorSignatureVerifier(&verifier_);
    SetProcessStarter(&starter_);
    RefreshLimits limits;
    limits.connectTimeoutMs = 2000;
    limits.lowSpeedTimeMs = kStallMs;
    limits.installerWaitMs = 20000;
    SetRefreshLimits(limits);
    DeleteFileA(recordPath_.c_str());
  }

  void TearDown() override {
    agent_.SetCallSink(nullptr);
    SetUpdateAgentFactory(nullptr);
    SetVendorSignatureVerifier(nullptr);
    SetProcessStarter(nullptr);
    ResetRefreshLimits();
    server_.Stop();
    DeleteFileA(recordPath_.c_str());
  }

  void ServeCatalogue(const std::vector<CatalogueEntry>& entries) {
    server_.SetRoute("/wuredist.cab",
                     HttpRoute::Ok(MakeCabinet({{"wuredist.xml", CatalogueXml(entries)}})));
  }

  // `kind`: quick, lingering or slow, or vendor or other for a quick one
  // signed by the vendor or by another organisation.
  void ServeInstaller(const std::string& route, const char* kind = "quick") {
    std::string program = TestProgramFolder() + "\\fake_installer_" + kind + ".exe";
    server_.SetRoute(route, HttpRoute::Ok(ReadWholeFile(program)));
  }

  CatalogueEntry Entry(const std::string& name, const std::string& version,
                       const std::string& route) {
    return {name, version, server_.Url(route)};
  }

  void RunRefresh() { RefreshUpdateAgent(server_.Url("/wuredist.cab").c_str()); }

  // Runs as the refresh asks for the agent's version: the moment the
  // extracted catalogue is being read.
  void AtAgentInfoCreation(std::function<void()> action) {
    agent_.SetCallSink([action](const std::wstring& call) {
      if (call == L"CreateAgentInfo") action();
    });
  }

  ULONGLONG TimedRefresh() {
    ULONGLONG start = GetTickCount64();
    RunRefresh();
    return GetTickCount64() - start;
  }

  std::vector<std::string> RequestedPaths() {
    std::vector<std::string> paths;
    for (const HttpRequestRecord& request : server_.Requests()) paths.push_back(request.path);
    return paths;
  }

  std::vector<std::string> InstallerRecord() { return ReadLines(recordPath_); }

  // The slow installer outlives the refresh; wait for it before cleaning up.
  bool WaitForInstallerExit(DWORD limitMs) {
    for (ULONGLONG start = GetTickCount64(); GetTickCount64() - start < limitMs; Sleep(100)) {
      std::vector<std::string> lines = InstallerRecord();
      if (!lines.empty() && lines.back() == "exit") return true;
    }
    return false;
  }

  CSimulatedAgentFactory agent_;
  LoopbackHttpServer server_;
  TempPathSandbox sandbox_{CurrentTestName()};
  std::string recordPath_ =
      TestProgramFolder() + "\\installer record " + CurrentTestName() + ".txt";
  ScopedEnvironment recordVariable_{"PATCHWELL_INSTALLER_RECORD", recordPath_};
  StubVerifier verifier_;
  RecordingStarter starter_;
  const std::string native_ = NativeArchitecture();
  const std::vector<std::string> foreign_ = ForeignArchitectures();
};
