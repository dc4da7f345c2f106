#pragma once
// What a downloader and an installer share: the client's name, the forced
// flag, the updates they are given, and the jobs they begin and end over
// those updates.

#include <mutex>
#include <string>

#include "agent_seam/agent_interfaces.h"
#include "simulated_agent/agent_state.h"
#include "simulated_agent/dispatch_object.h"
#include "simulated_agent/paced_job.h"

namespace simulated_agent {

template <typename Interface, typename Kind>
class CJobStarter : public CDispatchObject<Interface> {
 public:
  STDMETHODIMP get_ClientApplicationID(BSTR* retval) override {
    if (const HRESULT refused = this->ApartmentRefusal()) return refused;
    std::lock_guard<std::mutex> lock(mutex_);
    return CopyBstr(clientApplicationId_.c_str(), retval);
  }
  STDMETHODIMP put_ClientApplicationID(BSTR value) override {
    if (const HRESULT refused = this->ApartmentRefusal()) return refused;
    return Guarded([&] {
      std::lock_guard<std::mutex> lock(mutex_);
      clientApplicationId_.assign(value ? value : L"", SysStringLen(value));
      return S_OK;
    });
  }
  STDMETHODIMP get_IsForced(VARIANT_BOOL* retval) override {
    if (const HRESULT refused = this->ApartmentRefusal()) return refused;
    if (!retval) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    *retval = isForced_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  STDMETHODIMP put_IsForced(VARIANT_BOOL value) override {
    if (const HRESULT refused = this->ApartmentRefusal()) return refused;
    std::lock_guard<std::mutex> lock(mutex_);
    isForced_ = value != VARIANT_FALSE;
    return S_OK;
  }
  STDMETHODIMP get_Updates(IUpdateCollection** retval) override {
    if (const HRESULT refused = this->ApartmentRefusal()) return refused;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!updates_) {
      if (retval) *retval = nullptr;
      return retval ? S_OK : E_POINTER;
    }
    return HandOut(updates_, retval);
  }
  STDMETHODIMP put_Updates(IUpdateCollection* value) override {
    if (const HRESULT refused = this->ApartmentRefusal()) return refused;
    if (!value) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(mutex_);
    updates_ = value;
    return S_OK;
  }

 protected:
  explicit CJobStarter(AgentState agent) : agent_(std::move(agent)), serial_(NextOwnerSerial()) {}

  // The Begin* call named `call`, failing with `failure` when the catalogue
  // says so.
  HRESULT BeginOverUpdates(const wchar_t* call, HRESULT failure, IUnknown* onProgressChanged,
                           IUnknown* onCompleted, const VARIANT& state,
                           typename Kind::Job** retval) {
    if (const HRESULT refused = this->ApartmentRefusal()) return refused;
    if (!retval) return E_POINTER;
    *retval = nullptr;
    if (FAILED(failure)) return agent_->Answer(call, failure);
    ComPtr<IUpdateCollection> updates;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      updates = updates_;
    }
    const HRESULT hr = BeginJob<Kind>(agent_, serial_, updates.Get(), onProgressChanged,
                                      onCompleted, state, retval);
    return agent_->Answer(call, hr);
  }

  // The End* call named `call`: the job's final results as a ResultObject.
  template <typename ResultObject, typename Result>
  HRESULT EndWithResults(const wchar_t* call, HRESULT failure, typename Kind::Job* job,
                         Result** retval) {
    if (const HRESULT refused = this->ApartmentRefusal()) return refused;
    if (!retval) return E_POINTER;
    *retval = nullptr;
    if (FAILED(failure)) return agent_->Answer(call, failure);
    return agent_->Answer(call, Guarded([&]() -> HRESULT {
                            TJobResults results;
                            const HRESULT hr = EndJob<Kind>(serial_, job, results);
                            if (FAILED(hr)) return hr;
                            return HandOut(MakeObject<ResultObject>(std::move(results)), retval);
                          }));
  }

  const AgentState agent_;
  std::mutex mutex_;

 private:
  const LONG serial_;
  std::wstring clientApplicationId_;
  bool isForced_ = false;
  ComPtr<IUpdateCollection> updates_;
};

}  // namespace simulated_agent
