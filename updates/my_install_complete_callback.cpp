#include "updates/my_install_complete_callback.h"

#include "updates/callbacks_closing.h"
#include "platform/com_values.h"
#include "updates/update_agent_client.h"

// The job's state names the client that began it; it must be this object's
// own client, which clears the link before it goes away.
HRESULT STDMETHODCALLTYPE CMyInstallCompleteCallBack::Invoke(
    IInstallationJob* installationJob, IInstallationCompletedCallbackArgs* /*callbackArgs*/) {
  if (AgentCallbacksClosing()) return S_OK;
  UpdateAgentClient* client = owner_.load();
  if (!client) return S_OK;
  try {
    UniqueVariant state;
    if (!installationJob || FAILED(installationJob->get_AsyncState(state.Out())) ||
        !client->IsOwnJobState(state.Get())) {
      client->ReportInstallationFinished(false);
      return S_OK;
    }
    client->CompleteInstallation(installationJob);
  } catch (...) {
  }
  return S_OK;
}
