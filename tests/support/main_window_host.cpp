#include "tests/support/main_window_host.h"

#include <objbase.h>

#include <vector>

#include "agent_seam/update_agent_factory.h"
#include "simulated_agent/catalogue_file.h"
#include "ui/core/module_instance.h"
#include "ui/markup/skin_resources.h"
#include "ui/markup/zip_archive.h"
#include "ui/render/image_decoder.h"
#include "ui/window/skin_builder.h"
#include "ui/window/window_manager.h"

namespace SkinUITest {

namespace {

constexpr wchar_t kSkinResourceType[] = L"SkinPackges";
constexpr UINT kSkinResourceId = 103;
constexpr wchar_t kWindowText[] = L"Patchwell";
constexpr DWORD kWindowStyle = 0x96C80000;
// Nothing listens there, so the agent refresh ends at once.
constexpr char kCatalogueUrl[] = "http://127.0.0.1:1/redist/wuredist.cab";
constexpr DWORD kScanEndMs = 30000;

TSimulatedCatalogue CatalogueFrom(const std::wstring& text, std::wstring& error) {
  TSimulatedCatalogue catalogue;
  ParseSimulatedCatalogue(text, catalogue, error);
  return catalogue;
}

bool EndsWithPng(const wchar_t* name) {
  const size_t length = wcslen(name);
  return length > 4 && _wcsicmp(name + length - 4, L".png") == 0;
}

// A drawing for a larger scale ("a@2x.png") beside the 1x one.
bool IsScaledDrawing(const wchar_t* name) {
  return wcschr(name, L'@') != nullptr;
}

}  // namespace

LRESULT CTimedMainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CZizuVerUI::OnMessage(message, wParam, lParam);
  if (message == WM_PAINT) ++paints_;
  return result;
}

CMainWindowHost::CMainWindowHost(const std::wstring& catalogueText)
    : agent_(CatalogueFrom(catalogueText, catalogueError_)) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(kSkinResourceId), kSkinResourceType);
  if (found != nullptr) {
    skinBytes_ = LockResource(LoadResource(nullptr, found));
    skinLength_ = SizeofResource(nullptr, found);
  }
  comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  SetUpdateAgentFactory(&agent_);
}

CMainWindowHost::~CMainWindowHost() {
  Close();
  SetUpdateAgentFactory(nullptr);
  SkinUI::SetResourceArchive(L"");
  if (comReady_) CoUninitialize();
}

bool CMainWindowHost::Ready(std::string& error) const {
  if (!catalogueError_.empty()) error = "the simulated catalogue was refused";
  if (skinBytes_ == nullptr) error = "the packed skin is not in the resources";
  return error.empty();
}

CTimedMainWindow* CMainWindowHost::Open() {
  Close();
  SkinUI::SetModuleInstance(GetModuleHandleW(nullptr));
  SkinUI::SetResourceModule(GetModuleHandleW(nullptr));
  SkinUI::SetResourceFolder(L"");
  SkinUI::SetResourceArchive(L"");
  SkinUI::RegisterSkinArchiveInMemory(skinBytes_, skinLength_);

  TMainWindowSetup setup;
  setup.catalogueUrl = kCatalogueUrl;
  setup.homePage = L"http://127.0.0.1:1/";
  setup.actions = &actions_;
  setup.closeBoundMs = closeBoundMs_;
  window_ = std::make_unique<CTimedMainWindow>(setup);
  g_mainWindow = window_.get();
  if (window_->CreateNativeWindow(nullptr, kWindowText, kWindowStyle, 0, 0, 0, 0, 0) == nullptr) {
    g_mainWindow = nullptr;
    window_.reset();
    return nullptr;
  }
  window_->CenterOnOwner();
  ShowWindow(window_->GetHWND(), SW_SHOW);
  UpdateWindow(window_->GetHWND());
  return window_.get();
}

void CMainWindowHost::Close() {
  if (!window_) return;
  g_mainWindow = nullptr;
  if (IsWindow(window_->GetHWND())) DestroyWindow(window_->GetHWND());
  MSG quit;
  while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  window_.reset();
  // A scan cannot be stopped: its thread ends on its own, with the agent
  // objects it holds.
  PumpUntil([] { return SimulatedAgentLiveObjects() == 0; }, kScanEndMs);
}

SkinUI::CControlUI* CMainWindowHost::Named(const wchar_t* controlName) {
  return window_ ? window_->Manager().ControlByName(controlName) : nullptr;
}

bool CMainWindowHost::Click(const wchar_t* controlName) {
  SkinUI::CControlUI* control = Named(controlName);
  if (control == nullptr) return false;
  const RECT& bounds = control->Bounds();
  const LPARAM at = MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
  const HWND hwnd = window_->GetHWND();
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, at);
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
  return true;
}

SkinUI::CWideStringUI CMainWindowHost::TextOf(const wchar_t* controlName) {
  SkinUI::CControlUI* control = Named(controlName);
  return control != nullptr ? control->GetText() : SkinUI::CWideStringUI();
}

bool CMainWindowHost::Visible(const wchar_t* controlName) {
  SkinUI::CControlUI* control = Named(controlName);
  return control != nullptr && control->IsVisible();
}

bool CMainWindowHost::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
      continue;
    }
    if (msg.message == WM_QUIT) return false;
    if (SkinUI::CWindowManagerUI::RouteBeforeDispatch(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

int CMainWindowHost::DecodeEverySkinImage() const {
  SkinUI::CZipArchive archive;
  if (!archive.OpenArchive(skinBytes_, skinLength_, SkinUI::ZipSource::Memory)) return 0;
  int decoded = 0;
  for (int index = 0; index < archive.GetEntryCount(); ++index) {
    SkinUI::TZipEntry entry;
    if (!archive.GetEntry(index, entry) || !EndsWithPng(entry.name)) continue;
    if (IsScaledDrawing(entry.name)) continue;
    std::vector<unsigned char> bytes(entry.uncompressedSize);
    if (archive.ReadEntry(index, bytes.data(), entry.uncompressedSize) !=
        SkinUI::ZipReadResult::Ok) {
      continue;
    }
    if (SkinUI::DecodeBitmapImage(bytes.data(), bytes.size(), 0)) ++decoded;
  }
  return decoded;
}

}  // namespace SkinUITest
