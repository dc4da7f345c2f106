// The product: the system's update agent, the vendor's catalogue, the maker's
// site, and the real message boxes, shell and restart.

#include <windows.h>

#include "agent_refresh/refresh_update_agent.h"
#include "app/maker_site.h"
#include "app/program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const TMakerSite site = MakerSite();
  TProgramSetup setup;
  setup.catalogueUrl = kVendorCatalogueUrl;
  setup.serviceAddress = site.serviceAddress;
  setup.homePage = site.homePage;
  setup.actions = MakePlatformSystemActions();
  return RunProgram(instance, setup);
}
