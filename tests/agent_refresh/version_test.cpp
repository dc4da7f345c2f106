#include <gtest/gtest.h>

#include <string>

#include "agent_refresh/is_agent_older.h"
#include "tests/agent_refresh/fake_agent_info.h"

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
  FakeAgentFactory agent;
  for (const VersionCase& c : cases) {
    std::string installed = c.installed;
    agent.SetVersion(std::wstring(installed.begin(), installed.end()));
    EXPECT_EQ(IsAgentOlder(c.catalogue), c.older)
        << "installed " << c.installed << ", catalogue " << c.catalogue;
  }
  EXPECT_EQ(agent.GetInfoCalls(), static_cast<int>(sizeof(cases) / sizeof(cases[0])));
  EXPECT_EQ(agent.LiveObjects(), 0);
}

TEST(IsAgentOlder, AnAgentWhoseVersionCannotBeReadCountsAsOlder) {
  const AgentInfoBehaviour broken[] = {
      AgentInfoBehaviour::CreationFails,
      AgentInfoBehaviour::CreationGivesNothing,
      AgentInfoBehaviour::GetInfoFails,
      AgentInfoBehaviour::GetInfoGivesNumber,
  };
  FakeAgentFactory agent;
  agent.SetVersion(L"99.0.0.0");
  for (AgentInfoBehaviour behaviour : broken) {
    agent.SetBehaviour(behaviour);
    EXPECT_TRUE(IsAgentOlder("1.0.0.0")) << static_cast<int>(behaviour);
  }
  EXPECT_EQ(agent.LiveObjects(), 0);
}

TEST(IsAgentOlder, LeavesTheCallersComApartmentAsItWas) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  FakeAgentFactory agent;
  agent.SetVersion(L"7.6.7600.256");
  EXPECT_TRUE(IsAgentOlder("7.6.7600.320"));
  // Still the multithreaded apartment: a second join succeeds as S_FALSE.
  HRESULT again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  EXPECT_EQ(again, S_FALSE);
  if (SUCCEEDED(again)) CoUninitialize();
  CoUninitialize();
}

}  // namespace
