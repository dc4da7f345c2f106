#pragma once
// Do-nothing implementations of the agent interfaces the client calls: every
// operation answers E_NOTIMPL. Fakes derive from these and override only what
// a test needs. Every stub object counts itself as alive until deleted.

#include <windows.h>

#include "agent_seam/agent_interfaces.h"

inline LONG g_fakeObjectsAlive = 0;

template <class Interface>
class DispatchStub : public Interface {
 public:
  DispatchStub() { InterlockedIncrement(&g_fakeObjectsAlive); }
  virtual ~DispatchStub() { InterlockedDecrement(&g_fakeObjectsAlive); }
  DispatchStub(const DispatchStub&) = delete;
  DispatchStub& operator=(const DispatchStub&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, __uuidof(Interface))) {
      *out = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refCount_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG count = InterlockedDecrement(&refCount_);
    if (count == 0) delete this;
    return count;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

 protected:
  LONG RefCount() const { return refCount_; }

 private:
  LONG refCount_ = 0;
};

class StubUpdate : public DispatchStub<IUpdate> {
 public:
  HRESULT STDMETHODCALLTYPE get_Title(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_AutoSelectOnWebSites(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_BundledUpdates(IUpdateCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CanRequireSource(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Categories(ICategoryCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Deadline(VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_DeltaCompressedContentAvailable(VARIANT_BOOL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_DeltaCompressedContentPreferred(VARIANT_BOOL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Description(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_EulaAccepted(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_EulaText(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_HandlerID(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Identity(IUpdateIdentity**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Image(IImageInformation**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_InstallationBehavior(IInstallationBehavior**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_IsBeta(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsDownloaded(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsHidden(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_IsHidden(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsInstalled(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsMandatory(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsUninstallable(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Languages(IStringCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_LastDeploymentChangeTime(DATE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_MaxDownloadSize(DECIMAL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_MinDownloadSize(DECIMAL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_MoreInfoUrls(IStringCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_MsrcSeverity(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_RecommendedCpuSpeed(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_RecommendedHardDiskSpace(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_RecommendedMemory(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ReleaseNotes(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_SecurityBulletinIDs(IStringCollection**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_SupersededUpdateIDs(IStringCollection**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_SupportUrl(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Type(UpdateType*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_UninstallationNotes(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_UninstallationBehavior(IInstallationBehavior**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_UninstallationSteps(IStringCollection**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_KBArticleIDs(IStringCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE AcceptEula() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_DeploymentAction(DeploymentAction*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyFromCache(BSTR, VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_DownloadPriority(DownloadPriority*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_DownloadContents(IUpdateDownloadContentCollection**) override {
    return E_NOTIMPL;
  }
};

class StubUpdateSession : public DispatchStub<IUpdateSession> {
 public:
  HRESULT STDMETHODCALLTYPE get_ClientApplicationID(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ClientApplicationID(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ReadOnly(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_WebProxy(IWebProxy**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_WebProxy(IWebProxy*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateUpdateSearcher(IUpdateSearcher**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateUpdateDownloader(IUpdateDownloader**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CreateUpdateInstaller(IUpdateInstaller**) override { return E_NOTIMPL; }
};

class StubUpdateSearcher : public DispatchStub<IUpdateSearcher> {
 public:
  HRESULT STDMETHODCALLTYPE get_CanAutomaticallyUpgradeService(VARIANT_BOOL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_CanAutomaticallyUpgradeService(VARIANT_BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_ClientApplicationID(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ClientApplicationID(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IncludePotentiallySupersededUpdates(VARIANT_BOOL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_IncludePotentiallySupersededUpdates(VARIANT_BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_ServerSelection(ServerSelection*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ServerSelection(ServerSelection) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BeginSearch(BSTR, IUnknown*, VARIANT, ISearchJob**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EndSearch(ISearchJob*, ISearchResult**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EscapeString(BSTR, BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryHistory(LONG, LONG, IUpdateHistoryEntryCollection**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Search(BSTR, ISearchResult**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Online(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Online(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTotalHistoryCount(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ServiceID(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ServiceID(BSTR) override { return E_NOTIMPL; }
};

class StubSearchResult : public DispatchStub<ISearchResult> {
 public:
  HRESULT STDMETHODCALLTYPE get_ResultCode(OperationResultCode*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_RootCategories(ICategoryCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Updates(IUpdateCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Warnings(IUpdateExceptionCollection**) override {
    return E_NOTIMPL;
  }
};

class StubUpdateCollection : public DispatchStub<IUpdateCollection> {
 public:
  HRESULT STDMETHODCALLTYPE get_Item(LONG, IUpdate**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Item(LONG, IUpdate*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Count(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ReadOnly(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Add(IUpdate*, LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clear() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Copy(IUpdateCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Insert(LONG, IUpdate*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemoveAt(LONG) override { return E_NOTIMPL; }
};

class StubUpdateIdentity : public DispatchStub<IUpdateIdentity> {
 public:
  HRESULT STDMETHODCALLTYPE get_RevisionNumber(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_UpdateID(BSTR*) override { return E_NOTIMPL; }
};

class StubStringCollection : public DispatchStub<IStringCollection> {
 public:
  HRESULT STDMETHODCALLTYPE get_Item(LONG, BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Item(LONG, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Count(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ReadOnly(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Add(BSTR, LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clear() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Copy(IStringCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Insert(LONG, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemoveAt(LONG) override { return E_NOTIMPL; }
};

class StubUpdateDownloader : public DispatchStub<IUpdateDownloader> {
 public:
  HRESULT STDMETHODCALLTYPE get_ClientApplicationID(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ClientApplicationID(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsForced(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_IsForced(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Priority(DownloadPriority*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Priority(DownloadPriority) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Updates(IUpdateCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Updates(IUpdateCollection*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BeginDownload(IUnknown*, IUnknown*, VARIANT, IDownloadJob**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Download(IDownloadResult**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EndDownload(IDownloadJob*, IDownloadResult**) override {
    return E_NOTIMPL;
  }
};

class StubUpdateInstaller : public DispatchStub<IUpdateInstaller> {
 public:
  HRESULT STDMETHODCALLTYPE get_ClientApplicationID(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ClientApplicationID(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsForced(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_IsForced(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ParentHwnd(HWND*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ParentHwnd(HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ParentWindow(IUnknown*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ParentWindow(IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Updates(IUpdateCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Updates(IUpdateCollection*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BeginInstall(IUnknown*, IUnknown*, VARIANT,
                                         IInstallationJob**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE BeginUninstall(IUnknown*, IUnknown*, VARIANT,
                                           IInstallationJob**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EndInstall(IInstallationJob*, IInstallationResult**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EndUninstall(IInstallationJob*, IInstallationResult**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Install(IInstallationResult**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RunWizard(BSTR, IInstallationResult**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsBusy(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Uninstall(IInstallationResult**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_AllowSourcePrompts(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_AllowSourcePrompts(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_RebootRequiredBeforeInstallation(VARIANT_BOOL*) override {
    return E_NOTIMPL;
  }
};

class StubDownloadJob : public DispatchStub<IDownloadJob> {
 public:
  HRESULT STDMETHODCALLTYPE get_AsyncState(VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsCompleted(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Updates(IUpdateCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CleanUp() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetProgress(IDownloadProgress**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RequestAbort() override { return E_NOTIMPL; }
};

class StubInstallationJob : public DispatchStub<IInstallationJob> {
 public:
  HRESULT STDMETHODCALLTYPE get_AsyncState(VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsCompleted(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Updates(IUpdateCollection**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CleanUp() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetProgress(IInstallationProgress**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RequestAbort() override { return E_NOTIMPL; }
};

class StubDownloadProgress : public DispatchStub<IDownloadProgress> {
 public:
  HRESULT STDMETHODCALLTYPE get_CurrentUpdateBytesDownloaded(DECIMAL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_CurrentUpdateBytesToDownload(DECIMAL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_CurrentUpdateIndex(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_PercentComplete(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_TotalBytesDownloaded(DECIMAL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_TotalBytesToDownload(DECIMAL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetUpdateResult(LONG, IUpdateDownloadResult**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_CurrentUpdateDownloadPhase(DownloadPhase*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_CurrentUpdatePercentComplete(LONG*) override { return E_NOTIMPL; }
};

class StubInstallationProgress : public DispatchStub<IInstallationProgress> {
 public:
  HRESULT STDMETHODCALLTYPE get_CurrentUpdateIndex(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CurrentUpdatePercentComplete(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_PercentComplete(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetUpdateResult(LONG, IUpdateInstallationResult**) override {
    return E_NOTIMPL;
  }
};

class StubUpdateDownloadResult : public DispatchStub<IUpdateDownloadResult> {
 public:
  HRESULT STDMETHODCALLTYPE get_HResult(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ResultCode(OperationResultCode*) override { return E_NOTIMPL; }
};

class StubUpdateInstallationResult : public DispatchStub<IUpdateInstallationResult> {
 public:
  HRESULT STDMETHODCALLTYPE get_HResult(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_RebootRequired(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ResultCode(OperationResultCode*) override { return E_NOTIMPL; }
};

class StubDownloadResult : public DispatchStub<IDownloadResult> {
 public:
  HRESULT STDMETHODCALLTYPE get_HResult(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ResultCode(OperationResultCode*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetUpdateResult(LONG, IUpdateDownloadResult**) override {
    return E_NOTIMPL;
  }
};

class StubInstallationResult : public DispatchStub<IInstallationResult> {
 public:
  HRESULT STDMETHODCALLTYPE get_HResult(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_RebootRequired(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ResultCode(OperationResultCode*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetUpdateResult(LONG, IUpdateInstallationResult**) override {
    return E_NOTIMPL;
  }
};

class StubDownloadProgressArgs : public DispatchStub<IDownloadProgressChangedCallbackArgs> {
 public:
  HRESULT STDMETHODCALLTYPE get_Progress(IDownloadProgress**) override { return E_NOTIMPL; }
};

class StubInstallationProgressArgs : public DispatchStub<IInstallationProgressChangedCallbackArgs> {
 public:
  HRESULT STDMETHODCALLTYPE get_Progress(IInstallationProgress**) override { return E_NOTIMPL; }
};

class StubDownloadCompletedArgs : public DispatchStub<IDownloadCompletedCallbackArgs> {};
class StubInstallationCompletedArgs : public DispatchStub<IInstallationCompletedCallbackArgs> {};
