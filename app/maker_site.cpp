#include "app/maker_site.h"

#include "generated/app/site_address.h"

TMakerSite MakerSite() {
  TMakerSite site;
  site.serviceAddress = kBuildSite;
  site.homePage = site.serviceAddress + L"/";
  return site;
}
