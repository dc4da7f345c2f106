#pragma once
// The update agent's COM interfaces. The platform header lacks the four
// callback interfaces, their argument interfaces and the UpdateCollection class id, and the import
// libraries define none of the agent's GUIDs: they are declared here and
// defined once in agent_interfaces.cpp.

#include <windows.h>
#include <oleauto.h>
#include <wuapi.h>

extern "C" {
extern const CLSID CLSID_UpdateCollection;
extern const IID IID_IDownloadCompletedCallback;
extern const IID IID_IDownloadProgressChangedCallback;
extern const IID IID_IInstallationCompletedCallback;
extern const IID IID_IInstallationProgressChangedCallback;
extern const IID IID_IDownloadProgressChangedCallbackArgs;
extern const IID IID_IDownloadCompletedCallbackArgs;
extern const IID IID_IInstallationProgressChangedCallbackArgs;
extern const IID IID_IInstallationCompletedCallbackArgs;
}

// Argument objects the agent hands to the callbacks (automation interfaces).
struct IDownloadProgressChangedCallbackArgs : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get_Progress(IDownloadProgress** retval) = 0;
};

struct IDownloadCompletedCallbackArgs : IDispatch {};

struct IInstallationProgressChangedCallbackArgs : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get_Progress(IInstallationProgress** retval) = 0;
};

struct IInstallationCompletedCallbackArgs : IDispatch {};

// Each callback is IUnknown plus one Invoke(job, arguments).
struct IDownloadCompletedCallback : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(IDownloadJob* downloadJob,
                                           IDownloadCompletedCallbackArgs* callbackArgs) = 0;
};

struct IDownloadProgressChangedCallback : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(IDownloadJob* downloadJob,
                                           IDownloadProgressChangedCallbackArgs* callbackArgs) = 0;
};

struct IInstallationCompletedCallback : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(IInstallationJob* installationJob,
                                           IInstallationCompletedCallbackArgs* callbackArgs) = 0;
};

struct IInstallationProgressChangedCallback : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE
  Invoke(IInstallationJob* installationJob,
         IInstallationProgressChangedCallbackArgs* callbackArgs) = 0;
};

#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IDownloadCompletedCallback, 0x77254866, 0x9f5b, 0x4c8e, 0xb9, 0xe2, 0xc7, 0x7a,
                0x85, 0x30, 0xd6, 0x4b)
__CRT_UUID_DECL(IDownloadProgressChangedCallback, 0x8c3f1cdd, 0x6173, 0x4591, 0xae, 0xbd, 0xa5,
                0x6a, 0x53, 0xca, 0x77, 0xc1)
__CRT_UUID_DECL(IInstallationCompletedCallback, 0x45f4f6f3, 0xd602, 0x4f98, 0x9a, 0x8a, 0x3e, 0xfa,
                0x15, 0x2a, 0xd2, 0xd3)
__CRT_UUID_DECL(IInstallationProgressChangedCallback, 0xe01402d5, 0xf8da, 0x43ba, 0xa0, 0x12, 0x38,
                0x89, 0x4b, 0xd0, 0x48, 0xf1)
__CRT_UUID_DECL(IDownloadProgressChangedCallbackArgs, 0x324ff2c6, 0x4981, 0x4b04, 0x94, 0x12, 0x57,
                0x48, 0x17, 0x45, 0xab, 0x24)
__CRT_UUID_DECL(IDownloadCompletedCallbackArgs, 0xfa565b23, 0x498c, 0x47a0, 0x97, 0x9d, 0xe7, 0xd5,
                0xb1, 0x81, 0x33, 0x60)
__CRT_UUID_DECL(IInstallationProgressChangedCallbackArgs, 0xe4f14e1e, 0x689d, 0x4218, 0xa0, 0xb9,
                0xbc, 0x18, 0x9c, 0x48, 0x4a, 0x01)
__CRT_UUID_DECL(IInstallationCompletedCallbackArgs, 0x250e2106, 0x8efb, 0x4705, 0x96, 0x53, 0xef,
                0x13, 0xc5, 0x81, 0xb6, 0xa1)
#endif
