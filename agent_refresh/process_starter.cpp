#include "agent_refresh/process_starter.h"

namespace {

class CreateProcessStarter final : public IProcessStarter {
 public:
  bool StartProcess(char* commandLine, const char* currentDirectory,
                    PROCESS_INFORMATION* process) override {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                          currentDirectory, &startup, process) != FALSE;
  }
};

CreateProcessStarter g_systemStarter;
IProcessStarter* g_starter = &g_systemStarter;

}  // namespace

IProcessStarter& ProcessStarter() {
  return *g_starter;
}

IProcessStarter& SystemProcessStarter() {
  return g_systemStarter;
}

void SetProcessStarter(IProcessStarter* replacement) {
  g_starter = replacement ? replacement : &g_systemStarter;
}
