#include "agent_refresh/refresh_limits.h"

namespace {

RefreshLimits g_limits;

}  // namespace

const RefreshLimits& CurrentRefreshLimits() {
  return g_limits;
}

void SetRefreshLimits(const RefreshLimits& limits) {
  g_limits = limits;
}

void ResetRefreshLimits() {
  g_limits = RefreshLimits();
}
