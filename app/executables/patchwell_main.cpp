// The product: the system's update agent, the vendor's catalogue, the maker's
// site, and the real message boxes, shell and restart.

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "agent_refresh/refresh_update_agent.h"
#include "app/maker_site.h"
#include "app/program.h"

namespace {

// %ProgramData%\Patchwell, where the log stays between runs.
std::wstring LogFolder() {
  PWSTR programData = nullptr;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &programData))) {
    CoTaskMemFree(programData);
    return std::wstring();
  }
  std::wstring folder = std::wstring(programData) + L"\\Patchwell";
  CoTaskMemFree(programData);
  return folder;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const TMakerSite site = MakerSite();
  TProgramSetup setup;
  setup.catalogueUrl = kVendorCatalogueUrl;
  setup.serviceAddress = site.serviceAddress;
  setup.homePage = site.homePage;
  setup.logFolder = LogFolder();
  setup.actions = MakePlatformSystemActions();
  return RunProgram(instance, setup);
}
