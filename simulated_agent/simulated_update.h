#pragma once
// One update as the search reports it, with its identity and its KB list.

#include "agent_seam/agent_interfaces.h"
#include "simulated_agent/agent_state.h"
#include "simulated_agent/dispatch_object.h"
#include "simulated_agent/private_ids.h"

#include <atomic>
#include <string>
#include <vector>

namespace simulated_agent {

class CSimulatedUpdate final : public CDispatchObject<IUpdate> {
 public:
  CSimulatedUpdate(AgentState agent, TSimulatedUpdate record);

  const TSimulatedUpdate& Record() const { return record_; }
  bool IsEulaAccepted() const { return eulaAccepted_; }

  STDMETHODIMP get_Title(BSTR* retval) override;
  STDMETHODIMP get_AutoSelectOnWebSites(VARIANT_BOOL* retval) override;
  STDMETHODIMP get_Description(BSTR* retval) override;
  STDMETHODIMP get_Identity(IUpdateIdentity** retval) override;
  STDMETHODIMP get_KBArticleIDs(IStringCollection** retval) override;
  STDMETHODIMP get_MaxDownloadSize(DECIMAL* retval) override;
  STDMETHODIMP get_MinDownloadSize(DECIMAL* retval) override;
  STDMETHODIMP get_LastDeploymentChangeTime(DATE* retval) override;
  STDMETHODIMP AcceptEula() override;
  STDMETHODIMP get_EulaAccepted(VARIANT_BOOL* retval) override;
  STDMETHODIMP get_EulaText(BSTR* retval) override;
  STDMETHODIMP get_IsDownloaded(VARIANT_BOOL* retval) override;
  STDMETHODIMP get_IsInstalled(VARIANT_BOOL* retval) override;
  STDMETHODIMP get_IsHidden(VARIANT_BOOL* retval) override;
  STDMETHODIMP get_IsBeta(VARIANT_BOOL* retval) override;
  STDMETHODIMP get_IsMandatory(VARIANT_BOOL* retval) override;
  STDMETHODIMP get_Type(UpdateType* retval) override;
  STDMETHODIMP get_Deadline(VARIANT* retval) override;
  STDMETHODIMP get_DeploymentAction(DeploymentAction* retval) override;

  // Nothing in the program asks for these.
  STDMETHODIMP get_BundledUpdates(IUpdateCollection**) override { return NotImplemented(); }
  STDMETHODIMP get_CanRequireSource(VARIANT_BOOL*) override { return NotImplemented(); }
  STDMETHODIMP get_Categories(ICategoryCollection**) override { return NotImplemented(); }
  STDMETHODIMP get_DeltaCompressedContentAvailable(VARIANT_BOOL*) override {
    return NotImplemented();
  }
  STDMETHODIMP get_DeltaCompressedContentPreferred(VARIANT_BOOL*) override {
    return NotImplemented();
  }
  STDMETHODIMP get_HandlerID(BSTR*) override { return NotImplemented(); }
  STDMETHODIMP get_Image(IImageInformation**) override { return NotImplemented(); }
  STDMETHODIMP get_InstallationBehavior(IInstallationBehavior**) override {
    return NotImplemented();
  }
  STDMETHODIMP put_IsHidden(VARIANT_BOOL) override { return NotImplemented(); }
  STDMETHODIMP get_IsUninstallable(VARIANT_BOOL*) override { return NotImplemented(); }
  STDMETHODIMP get_Languages(IStringCollection**) override { return NotImplemented(); }
  STDMETHODIMP get_MoreInfoUrls(IStringCollection**) override { return NotImplemented(); }
  STDMETHODIMP get_MsrcSeverity(BSTR*) override { return NotImplemented(); }
  STDMETHODIMP get_RecommendedCpuSpeed(LONG*) override { return NotImplemented(); }
  STDMETHODIMP get_RecommendedHardDiskSpace(LONG*) override { return NotImplemented(); }
  STDMETHODIMP get_RecommendedMemory(LONG*) override { return NotImplemented(); }
  STDMETHODIMP get_ReleaseNotes(BSTR*) override { return NotImplemented(); }
  STDMETHODIMP get_SecurityBulletinIDs(IStringCollection**) override { return NotImplemented(); }
  STDMETHODIMP get_SupersededUpdateIDs(IStringCollection**) override { return NotImplemented(); }
  STDMETHODIMP get_SupportUrl(BSTR*) override { return NotImplemented(); }
  STDMETHODIMP get_UninstallationNotes(BSTR*) override { return NotImplemented(); }
  STDMETHODIMP get_UninstallationBehavior(IInstallationBehavior**) override {
    return NotImplemented();
  }
  STDMETHODIMP get_UninstallationSteps(IStringCollection**) override { return NotImplemented(); }
  STDMETHODIMP CopyFromCache(BSTR, VARIANT_BOOL) override { return NotImplemented(); }
  STDMETHODIMP get_DownloadPriority(DownloadPriority*) override { return NotImplemented(); }
  STDMETHODIMP get_DownloadContents(IUpdateDownloadContentCollection**) override {
    return NotImplemented();
  }

 protected:
  bool IsPrivateId(REFIID iid) const override { return iid == kSimulatedUpdateId; }

 private:
  bool Fails(SimulatedRead read) const { return (record_.failingReads & read) != 0; }
  SimulatedFault ReadFault(SimulatedRead read) const;
  HRESULT CopySize(DECIMAL* out) const;
  static HRESULT CopyBool(bool value, VARIANT_BOOL* out);

  AgentState agent_;
  TSimulatedUpdate record_;
  std::atomic<bool> eulaAccepted_;
};

class CUpdateIdentity final : public CDispatchObject<IUpdateIdentity> {
 public:
  CUpdateIdentity(std::wstring updateId, SimulatedFault fault)
      : updateId_(std::move(updateId)), fault_(fault) {}

  STDMETHODIMP get_RevisionNumber(LONG* retval) override;
  STDMETHODIMP get_UpdateID(BSTR* retval) override;

 private:
  std::wstring updateId_;
  const SimulatedFault fault_;
};

// A read-only list of strings (the KB article ids), whose reads may misbehave.
class CStringCollection final : public CDispatchObject<IStringCollection> {
 public:
  CStringCollection(std::vector<std::wstring> items, SimulatedFault countFault,
                    SimulatedFault itemFault)
      : items_(std::move(items)), countFault_(countFault), itemFault_(itemFault) {}

  STDMETHODIMP get_Item(LONG index, BSTR* retval) override;
  STDMETHODIMP get_Count(LONG* retval) override;
  STDMETHODIMP get_ReadOnly(VARIANT_BOOL* retval) override;
  STDMETHODIMP put_Item(LONG, BSTR) override { return Unchangeable(); }
  STDMETHODIMP get__NewEnum(IUnknown**) override { return NotImplemented(); }
  STDMETHODIMP Add(BSTR, LONG*) override { return Unchangeable(); }
  STDMETHODIMP Clear() override { return Unchangeable(); }
  STDMETHODIMP Copy(IStringCollection**) override { return NotImplemented(); }
  STDMETHODIMP Insert(LONG, BSTR) override { return Unchangeable(); }
  STDMETHODIMP RemoveAt(LONG) override { return Unchangeable(); }

 private:
  HRESULT Unchangeable() const {
    const HRESULT refused = ApartmentRefusal();
    return FAILED(refused) ? refused : WU_E_NOT_SUPPORTED;
  }

  std::vector<std::wstring> items_;
  const SimulatedFault countFault_;
  const SimulatedFault itemFault_;
};

}  // namespace simulated_agent
