#include "app/program.h"

#include <objbase.h>

#include "app/main_window.h"
#include "app/new_version_check.h"
#include "platform/run_log.h"
#include "platform/unique_handle.h"
#include "resources/version.h"
#include "ui/markup/skin_resources.h"
#include "ui/window/skin_builder.h"
#include "ui/window/window_manager.h"

namespace {

constexpr wchar_t kInstanceMutex[] = L"{441EF7F3-623A-46C8-AB88-1F1BBE085411}";
constexpr wchar_t kSkinResourceType[] = L"SkinPackges";
constexpr UINT kSkinResourceId = 103;
constexpr wchar_t kWindowText[] = L"Patchwell";
constexpr DWORD kWindowStyle = 0x96C80000;

// The loaded resource stays mapped for the life of the process.
void RegisterSkinArchive(HINSTANCE instance) {
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(kSkinResourceId), kSkinResourceType);
  if (found == nullptr) return;
  const DWORD size = SizeofResource(instance, found);
  HGLOBAL loaded = LoadResource(instance, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes != nullptr) SkinUI::RegisterSkinArchiveInMemory(bytes, size);
}

// "10.0.19045": the system's own numbers, which the compatibility layer
// does not change.
std::wstring WindowsVersion() {
  using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  const auto getVersion = reinterpret_cast<GetVersionFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  if (getVersion == nullptr || getVersion(&version) != 0) return L"unknown";
  wchar_t text[64] = {};
  wsprintfW(text, L"%u.%u.%u", version.dwMajorVersion, version.dwMinorVersion,
            version.dwBuildNumber);
  return text;
}

const wchar_t* NativeBits() {
  SYSTEM_INFO system = {};
  GetNativeSystemInfo(&system);
  return system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL ? L"32-bit" : L"64-bit";
}

}  // namespace

int RunProgram(HINSTANCE instance, const TProgramSetup& setup) {
  UniqueHandle mutex(CreateMutexW(nullptr, TRUE, kInstanceMutex));
  if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  OpenRunLog(setup.logFolder);
  LogLine(L"start: Patchwell %S on Windows %s (%s)", PATCHWELL_VERSION_TEXT,
          WindowsVersion().c_str(), NativeBits());

  SkinUI::SetModuleInstance(instance);
  SkinUI::SetResourceModule(instance);
  // Its images decode while the window is made.
  RegisterSkinArchive(instance);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  // Never waited for: the check owns what it reads.
  StartVersionCheck(TVersionCheck{setup.serviceAddress, setup.actions, TVersionCheckLimits()});

  TMainWindowSetup windowSetup;
  windowSetup.catalogueUrl = setup.catalogueUrl;
  windowSetup.homePage = setup.homePage;
  windowSetup.actions = setup.actions.get();
  auto* window = new CZizuVerUI(windowSetup);
  g_mainWindow = window;
  // A missing or broken skin refuses the window: then there is nothing to run.
  if (window->CreateNativeWindow(nullptr, kWindowText, kWindowStyle, 0, 0, 0, 0, 0) != nullptr) {
    window->CenterOnOwner();
    ShowWindow(window->GetHWND(), SW_SHOW);
    SkinUI::CWindowManagerUI::RunMessageLoop();
  }

  // The handlers reach the window through g_mainWindow: it goes first.
  g_mainWindow = nullptr;
  delete window;
  CoUninitialize();
  LogLine(L"exit: 1");
  CloseRunLog();
  return 1;
}
