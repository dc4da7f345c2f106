// The simulated build: the same program with the simulated update agent,
// every address on 127.0.0.1, and system actions that are only recorded.
// For the end-to-end tests a few environment variables change what it
// talks to; the product reads none of them.

#include <windows.h>

#include <memory>
#include <string>

#include "app/program.h"
#include "app/recorded_system_actions.h"
#include "simulated_agent/catalogue_file.h"
#include "simulated_agent/simulated_agent_factory.h"

namespace {

// Nothing listens there unless a test serves it, so the refresh and the
// version check end at once.
constexpr wchar_t kDefaultCatalogueUrl[] = L"http://127.0.0.1:1/redist/wuredist.cab";
constexpr wchar_t kDefaultService[] = L"http://127.0.0.1:1";
constexpr wchar_t kHomePage[] = L"http://127.0.0.1:1/";
constexpr wchar_t kActionsLogName[] = L"patchwell-sim-actions.log";
constexpr wchar_t kLogFolderName[] = L"log";

std::wstring Variable(const wchar_t* name, const wchar_t* fallback) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? value : fallback;
}

std::wstring BesideProgram(const wchar_t* fileName) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  folder.erase(folder.find_last_of(L'\\') + 1);
  return folder + fileName;
}

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  TSimulatedCatalogue catalogue;
  std::wstring error;
  LoadSimulatedCatalogueFromEnvironment(catalogue, error);
  auto actions = std::make_shared<CRecordedSystemActions>(
      Variable(L"PATCHWELL_SIM_ACTIONS_LOG", BesideProgram(kActionsLogName).c_str()));
  // A scan still running on the agent thread may use the agent when the
  // program returns, so the agent lives until the process ends, and the
  // log its job calls are written to with it.
  auto* agent = new CSimulatedAgentFactory(catalogue);
  agent->SetJournalSink(
      [actions](const std::wstring& line) { actions->Append((L"agent " + line).c_str()); });
  SetUpdateAgentFactory(agent);

  TProgramSetup setup;
  setup.actions = actions;
  setup.catalogueUrl = Narrow(Variable(L"PATCHWELL_SIM_CATALOGUE_URL", kDefaultCatalogueUrl));
  setup.serviceAddress = Variable(L"PATCHWELL_SIM_SERVICE", kDefaultService);
  setup.homePage = kHomePage;
  setup.logFolder = Variable(L"PATCHWELL_SIM_LOG_FOLDER", BesideProgram(kLogFolderName).c_str());
  return RunProgram(instance, setup);
}
