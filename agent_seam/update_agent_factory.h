#pragma once
// The three update agent objects the program creates (session, collection,
// agent information) are made through this seam. The default calls
// CoCreateInstance with CLSCTX_ALL.
//
// To stand in for the system's agent (tests, the simulated build):
//   1. derive from IUpdateAgentFactory and implement the three creations;
//   2. call SetUpdateAgentFactory(&yours) before the first scan;
//   3. call SetUpdateAgentFactory(nullptr) to return to the default.
// The replacement is not owned and must outlive every use.

#include "agent_seam/agent_interfaces.h"

class IUpdateAgentFactory {
 public:
  virtual HRESULT CreateUpdateSession(IUpdateSession** session) = 0;
  virtual HRESULT CreateUpdateCollection(IUpdateCollection** collection) = 0;
  virtual HRESULT CreateAgentInfo(IWindowsUpdateAgentInfo** info) = 0;

 protected:
  ~IUpdateAgentFactory() = default;
};

IUpdateAgentFactory& UpdateAgentFactory();
void SetUpdateAgentFactory(IUpdateAgentFactory* replacement);
