#include "app/open_address_as_user.h"

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <string>

#include "platform/com_values.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kCopyCaption[] = L"Patchwell";
constexpr wchar_t kCopyText[] =
    L"Patchwell could not open this address in your web browser. Please open it there "
    L"yourself (Ctrl+C copies this message):\r\n\r\n";

// COM for the length of one call, on a thread that may have none (the
// version check's). A thread already in the multi-threaded apartment keeps
// it; COM works there too.
class CComForCall {
 public:
  CComForCall()
      : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~CComForCall() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  CComForCall(const CComForCall&) = delete;
  CComForCall& operator=(const CComForCall&) = delete;

  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

ComPtr<IDispatch> DesktopWindowDispatch() {
  ComPtr<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                              IID_PPV_ARGS(&windows)))) {
    return nullptr;
  }
  VARIANT desktop;
  VariantInit(&desktop);
  desktop.vt = VT_I4;
  desktop.lVal = CSIDL_DESKTOP;
  VARIANT none;
  VariantInit(&none);
  long window = 0;
  ComPtr<IDispatch> dispatch;
  if (windows->FindWindowSW(&desktop, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, &dispatch) !=
      S_OK) {
    return nullptr;
  }
  return dispatch;
}

// The desktop's folder view, then the shell's application object that
// belongs to it: its methods run in the desktop shell's process.
ComPtr<IShellDispatch2> DesktopShellDispatch() {
  ComPtr<IDispatch> window = DesktopWindowDispatch();
  ComPtr<IServiceProvider> services;
  if (!window || FAILED(window.As(&services))) return nullptr;
  ComPtr<IShellBrowser> browser;
  if (FAILED(services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(&browser)))) return nullptr;
  ComPtr<IShellView> view;
  if (FAILED(browser->QueryActiveShellView(&view)) || !view) return nullptr;
  ComPtr<IDispatch> background;
  if (FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(&background))) || !background) {
    return nullptr;
  }
  ComPtr<IShellFolderViewDual> folderView;
  if (FAILED(background.As(&folderView))) return nullptr;
  ComPtr<IDispatch> application;
  if (FAILED(folderView->get_Application(&application)) || !application) return nullptr;
  ComPtr<IShellDispatch2> shell;
  if (FAILED(application.As(&shell))) return nullptr;
  return shell;
}

class CStringVariant {
 public:
  explicit CStringVariant(const wchar_t* text) {
    VariantInit(&value_);
    value_.vt = VT_BSTR;
    value_.bstrVal = SysAllocString(text);
  }
  ~CStringVariant() { VariantClear(&value_); }
  CStringVariant(const CStringVariant&) = delete;
  CStringVariant& operator=(const CStringVariant&) = delete;

  const VARIANT& Get() const { return value_; }

 private:
  VARIANT value_;
};

}  // namespace

bool OpenWithDesktopShell(const wchar_t* address) {
  if (address == nullptr || *address == 0) return false;
  CComForCall com;
  if (!com.Usable()) return false;
  ComPtr<IShellDispatch2> shell = DesktopShellDispatch();
  if (!shell) return false;
  UniqueBstr file(address);
  CStringVariant none(L"");
  CStringVariant verb(L"open");
  VARIANT show;
  VariantInit(&show);
  show.vt = VT_I4;
  show.lVal = SW_SHOWNORMAL;
  return SUCCEEDED(shell->ShellExecute(file.Get(), none.Get(), none.Get(), verb.Get(), show));
}

bool DesktopShellReachable(const wchar_t* /*address*/) {
  CComForCall com;
  return com.Usable() && DesktopShellDispatch() != nullptr;
}

EOpenRoute OpenAddressAsUser(HWND owner, const wchar_t* address, ISystemActions& actions,
                             TDesktopShellOpen open) {
  const wchar_t* text = address != nullptr ? address : L"";
  if (open != nullptr && open(text)) return EOpenRoute::DesktopShell;
  actions.ShowMessage(owner, (std::wstring(kCopyText) + text).c_str(), kCopyCaption,
                      MB_OK | MB_ICONINFORMATION);
  return EOpenRoute::Message;
}

const wchar_t* OpenRouteName(EOpenRoute route) {
  return route == EOpenRoute::DesktopShell ? L"desktop shell" : L"message";
}
