// The product: the system's update agent, the vendor's catalogue, the maker's
// web service, and the real message boxes, shell and restart.

#include <windows.h>

#include "agent_refresh/refresh_update_agent.h"
#include "app/program.h"

namespace {

constexpr wchar_t kMakerService[] = L"http://www.patchwell.example";
constexpr wchar_t kMakerHomePage[] = L"http://www.patchwell.example/";

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  TProgramSetup setup;
  setup.catalogueUrl = kVendorCatalogueUrl;
  setup.serviceAddress = kMakerService;
  setup.homePage = kMakerHomePage;
  setup.actions = &PlatformSystemActions();
  return RunProgram(instance, setup);
}
