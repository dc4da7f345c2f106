#pragma once
// How the agent installer process is started. The product calls
// CreateProcessA; tests may record or refuse the start.
//
// To replace: derive from IProcessStarter, SetProcessStarter(&yours), and
// SetProcessStarter(nullptr) to return to the system call. The replacement
// is not owned and must outlive every refresh.

#include <windows.h>

class IProcessStarter {
 public:
  // On success `process` holds both handles, which the caller closes.
  virtual bool StartProcess(char* commandLine, const char* currentDirectory,
                            PROCESS_INFORMATION* process) = 0;

 protected:
  ~IProcessStarter() = default;
};

IProcessStarter& ProcessStarter();
IProcessStarter& SystemProcessStarter();
void SetProcessStarter(IProcessStarter* replacement);
