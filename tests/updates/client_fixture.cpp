#include "tests/updates/client_fixture.h"

#include "tests/support/pump.h"

namespace {

TSimulatedCatalogue SteppedCatalogue() {
  TSimulatedCatalogue catalogue;
  catalogue.searchMs = 0;
  catalogue.stepByStep = true;
  return catalogue;
}

}  // namespace

TSimulatedUpdate UpdateNamed(const wchar_t* title, const wchar_t* id) {
  TSimulatedUpdate update;
  update.title = title;
  update.updateId = id;
  return update;
}

ClientTest::ClientTest() : agent(SteppedCatalogue()) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  SetUpdateAgentFactory(&agent);
  ClearRecordedCalls();
  client->SetReportSink(RecordingSink());
}

ClientTest::~ClientTest() {
  client.reset();
  EXPECT_TRUE(SkinUITest::PumpUntil([] { return SimulatedAgentLiveObjects() == 0; }))
      << SimulatedAgentLiveObjects() << " objects of the agent were never released";
  SetUpdateAgentFactory(nullptr);
  CoUninitialize();
}

void ClientTest::Scan(std::vector<TSimulatedUpdate> updates) {
  const LONG expected = static_cast<LONG>(updates.size());
  agent.Catalogue().updates = std::move(updates);
  LONG count = -1;
  ASSERT_EQ(S_OK, client->RunSearch(count));
  ASSERT_EQ(expected, count);
}

std::vector<UpdateEntry> ClientTest::Collect() {
  std::vector<UpdateEntry> entries;
  EXPECT_EQ(S_OK, client->CollectUpdates(entries));
  return entries;
}

TSimulatedJobView ClientTest::Job() {
  TSimulatedJobView view;
  EXPECT_TRUE(agent.ViewJob(view));
  return view;
}
