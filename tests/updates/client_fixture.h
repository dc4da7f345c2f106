#pragma once
// A client on the simulated agent, step by step, on an apartment-threaded
// test thread that stands in for the agent thread: the test delivers every
// report and completion and then lets the client process them. On teardown
// every object of the agent must have been released.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "simulated_agent/simulated_agent_factory.h"
#include "tests/updates/handler_recorder.h"
#include "updates/update_agent_client.h"

// Nothing listens there, so the agent refresh gives up at once.
inline constexpr char kClosedCatalogueUrl[] = "http://127.0.0.1:9/redist/wuredist.cab";

// An update with a title and an id and nothing else.
TSimulatedUpdate UpdateNamed(const wchar_t* title, const wchar_t* id);

class ClientTest : public ::testing::Test {
 protected:
  ClientTest();
  ~ClientTest() override;

  // Runs the scan on an agent that reports exactly these updates.
  void Scan(std::vector<TSimulatedUpdate> updates);
  std::vector<UpdateEntry> Collect();
  // The job begun last, as the agent shows it.
  TSimulatedJobView Job();

  CSimulatedAgentFactory agent;
  std::unique_ptr<UpdateAgentClient> client =
      std::make_unique<UpdateAgentClient>(kClosedCatalogueUrl);
};
