#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "agent_refresh/is_agent_older.h"
#include "simulated_agent/simulated_agent_factory.h"

namespace {

struct VersionCase {
  const char* installed;
  const char* catalogue;
  bool older;
};

TEST(IsAgentOlder, FirstDifferingComponentDecides) {
  const VersionCase cases[] = {
      {"7.6.0.1", "7.4.0.2", false},
      {"7.6.0.3", "7.4.0.2", false},
      {"7.4.0.1", "7.4.0.2", true},
      {"7.6.7600.256", "7.6.7600.320", true},
      {"7.6.7600.320", "7.6.7600.320", false},
      {"7.6", "7.6.0.0", false},
      {"7.6", "7.6.0.1", true},
      {"7.6.7600.320", "7.6", false},
      {"10.0.0.0", "9.99.99999.9", false},
      {"7.6.7600.9", "7.6.7600.10", true},
      {"7.x.1.1", "7.0.1.2", true},
      {"", "0.0.0.0", false},
      {"7.6.7600.320", "", false},
      {"4294967295.0.0.0", "99999999999999999999.0.0.1", true},
  };
  CSimulatedAgentFactory agent;
  SetUpdateAgentFactory(&agent);
  for (const VersionCase& c : cases) {
    std::string installed = c.installed;
    agent.Catalogue().agentVersion = std::wstring(installed.begin(), installed.end());
    EXPECT_EQ(IsAgentOlder(c.catalogue), c.older)
        << "installed " << c.installed << ", catalogue " << c.catalogue;
  }
  SetUpdateAgentFactory(nullptr);
  EXPECT_EQ(agent.CallCount(L"GetInfo"), static_cast<int>(sizeof(cases) / sizeof(cases[0])));
  EXPECT_EQ(SimulatedAgentLiveObjects(), 0);
}

TEST(IsAgentOlder, AnAgentWhoseVersionCannotBeReadCountsAsOlder) {
  const std::function<void(TSimulatedCatalogue&)> broken[] = {
      [](TSimulatedCatalogue& agent) { agent.failures.createAgentInfo = REGDB_E_CLASSNOTREG; },
      [](TSimulatedCatalogue& agent) { agent.readFaults.agentInfoMissing = true; },
      [](TSimulatedCatalogue& agent) { agent.failures.getInfo = E_FAIL; },
      [](TSimulatedCatalogue& agent) { agent.readFaults.versionIsNumber = true; },
  };
  for (size_t i = 0; i < sizeof(broken) / sizeof(broken[0]); ++i) {
    CSimulatedAgentFactory agent;
    agent.Catalogue().agentVersion = L"99.0.0.0";
    broken[i](agent.Catalogue());
    SetUpdateAgentFactory(&agent);
    EXPECT_TRUE(IsAgentOlder("1.0.0.0")) << i;
    SetUpdateAgentFactory(nullptr);
  }
  EXPECT_EQ(SimulatedAgentLiveObjects(), 0);
}

TEST(IsAgentOlder, LeavesTheCallersComApartmentAsItWas) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  CSimulatedAgentFactory agent;
  agent.Catalogue().agentVersion = L"7.6.7600.256";
  SetUpdateAgentFactory(&agent);
  EXPECT_TRUE(IsAgentOlder("7.6.7600.320"));
  SetUpdateAgentFactory(nullptr);
  // Still the multithreaded apartment: a second join succeeds as S_FALSE.
  HRESULT again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  EXPECT_EQ(again, S_FALSE);
  if (SUCCEEDED(again)) CoUninitialize();
  CoUninitialize();
}

}  // namespace
