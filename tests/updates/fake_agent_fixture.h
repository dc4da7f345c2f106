#pragma once
// A client wired to the fake agent on an apartment-threaded test thread. On
// teardown every fake object must have been released.

#include <gtest/gtest.h>

#include <memory>

#include "tests/updates/fake_agent.h"
#include "tests/updates/handler_recorder.h"
#include "updates/update_agent_client.h"

// Nothing listens there, so the agent refresh gives up at once.
inline constexpr char kClosedCatalogueUrl[] = "http://127.0.0.1:9/redist/wuredist.cab";

class FakeAgentTest : public ::testing::Test {
 protected:
  FakeAgentTest() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ClearRecordedCalls();
    client->SetReportSink(RecordingSink());
  }

  ~FakeAgentTest() override {
    client.reset();
    agent.reset();
    EXPECT_EQ(0, g_fakeObjectsAlive) << "a fake agent object was never released";
    CoUninitialize();
  }

  void Scan(const std::vector<ComPtr<FakeUpdate>>& updates) {
    agent->session->found = MakeCollection(updates);
    agent->session->searchResult = S_OK;
    LONG count = -1;
    ASSERT_EQ(S_OK, client->RunSearch(count));
    ASSERT_EQ(static_cast<LONG>(updates.size()), count);
  }

  std::vector<UpdateEntry> Collect() {
    std::vector<UpdateEntry> entries;
    EXPECT_EQ(S_OK, client->CollectUpdates(entries));
    return entries;
  }

  std::unique_ptr<FakeAgentFactory> agent = std::make_unique<FakeAgentFactory>();
  std::unique_ptr<UpdateAgentClient> client =
      std::make_unique<UpdateAgentClient>(kClosedCatalogueUrl);
};

inline ComPtr<FakeUpdate> UpdateNamed(const wchar_t* title, const wchar_t* id) {
  FakeUpdateData data;
  data.title = title;
  data.id = id;
  return MakeUpdate(data);
}
