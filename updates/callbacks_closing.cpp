#include "updates/callbacks_closing.h"

#include <atomic>

namespace {
std::atomic<bool> g_closing{false};
}

void SetAgentCallbacksClosing(bool closing) {
  g_closing.store(closing);
}

bool AgentCallbacksClosing() {
  return g_closing.load();
}
