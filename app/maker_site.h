#pragma once
// The maker's site, one build setting: the version check asks the service
// there, and the logo opens its home page.

#include <string>

struct TMakerSite {
  std::wstring serviceAddress;  // the path and query of the check are added
  std::wstring homePage;
};

TMakerSite MakerSite();
