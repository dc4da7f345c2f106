#pragma once
// A small stand-in for the window manager: the host controls see, with its
// own fonts, images and colours as the drawing code needs them, and a record
// of what was asked for.

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/core/control_host.h"

namespace SkinUITest {

class CTestManager : public SkinUI::IControlHostUI, public SkinUI::ISkinResourcesUI {
 public:
  CTestManager();
  ~CTestManager();

  // Registers an image under name without going through the lookup.
  void AddImage(const wchar_t* name, std::unique_ptr<SkinUI::ImageRecord> image);
  // Registers top-down ARGB pixels (not premultiplied) as a decoded image.
  void AddImage(const wchar_t* name, int width, int height, const std::vector<DWORD>& argb);
  void SetLastMousePos(POINT point) { mouse_ = SkinUI::CPointUI(point); }
  int FontCount() const { return static_cast<int>(fonts_.size()); }
  const std::vector<std::wstring>& ImageRequests() const { return imageRequests_; }

  // What controls asked of their window, in order.
  struct TSentNotification {
    std::wstring type;
    SkinUI::CControlUI* sender;
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<SkinUI::CRectUI> invalidated;
  int layoutRequests = 0;
  std::vector<TSentNotification> notifications;
  std::vector<SkinUI::CControlUI*> forgotten;
  std::vector<SkinUI::CControlUI*> overlayPainters;
  // What controls told screen readers, in order.
  std::vector<std::pair<DWORD, SkinUI::CControlUI*>> accessibleEvents;
  // Detached by DeleteLater and waiting; RunDeferredDeletes deletes them as
  // the window's next message would.
  std::vector<SkinUI::CControlUI*> deferred;
  void RunDeferredDeletes();
  void ClearRecords();

  void InvalidateArea(const RECT& area) override { invalidated.push_back(area); }
  void RequestLayout() override { ++layoutRequests; }
  // Keeps whatever control is handed in; no events are sent.
  void SetFocusControl(SkinUI::CControlUI* control) override { focus_ = control; }
  SkinUI::CControlUI* FocusControl() const override { return focus_; }
  bool StartControlTimer(SkinUI::CControlUI*, UINT, UINT) override { return false; }
  bool StopControlTimer(SkinUI::CControlUI*, UINT) override { return false; }
  using IControlHostUI::SendNotification;
  void SendNotification(SkinUI::TNotifyMsg& msg, bool) override {
    notifications.push_back({msg.type.GetData(), msg.sender, msg.wParam, msg.lParam});
  }
  bool AddOverlayPainter(SkinUI::CControlUI* control) override;
  bool RemoveOverlayPainter(SkinUI::CControlUI* control) override;
  // Groups as the window keeps them: members in join order, no duplicates, a
  // name dropped with its last member.
  bool JoinOptionGroup(const wchar_t* group, SkinUI::CControlUI* control) override;
  void LeaveOptionGroup(const wchar_t* group, SkinUI::CControlUI* control) override;
  SkinUI::CPointerArrayUI* OptionGroup(const wchar_t* group) override;
  // Binds and initialises the subtree; names are not registered.
  bool BindControlTree(SkinUI::CControlUI* control, SkinUI::CControlUI* parent) override;
  void ForgetControl(SkinUI::CControlUI* control) override {
    forgotten.push_back(control);
    if (focus_ == control) focus_ = nullptr;
  }
  void DeleteLater(SkinUI::CControlUI* control) override;
  void NotifyAccessibleEvent(DWORD event, SkinUI::CControlUI* control) override {
    accessibleEvents.emplace_back(event, control);
  }
  HWND WindowHandle() const override { return nullptr; }
  SkinUI::CPointUI LastMousePos() const override { return mouse_; }
  HDC PaintDC() const override { return paintDC_; }
  SkinUI::ISkinResourcesUI& Resources() override { return *this; }

  SkinUI::CDpiScaleUI Scale() const override { return scale_; }
  // What controls and drawing scale skin numbers by; the fonts stay as made.
  void SetScale(SkinUI::CDpiScaleUI scale) { scale_ = scale; }
  SkinUI::TColorShift GlobalColorShift() const override { return {}; }
  DWORD DefaultTextColor() const override { return 0xFF000000; }
  DWORD DisabledTextColor() const override { return 0xFFA7A6AA; }
  DWORD LinkTextColor() const override { return 0xFF0000FF; }
  DWORD LinkHoverTextColor() const override { return 0xFFD3215F; }
  DWORD SelectedBackColor() const override { return 0xFFBAE4FF; }
  HFONT FontAt(int index) override;
  SkinUI::FontRecord* FontInfoAt(int index) override;
  SkinUI::FontRecord* FontInfoOf(HFONT font) override;
  SkinUI::FontRecord* DefaultFontInfo() override;
  HFONT RegisterFont(const wchar_t* face, int size, bool bold, bool underline,
                     bool italic) override;
  HFONT FindMatchingFont(const wchar_t* face, int size, bool bold, bool underline,
                         bool italic) override;
  SkinUI::ImageRecord* ObtainImage(const wchar_t* name, const wchar_t* resourceType,
                                   DWORD mask) override;
  const wchar_t* ClassDefaults(const wchar_t*) override { return nullptr; }

 private:
  std::unique_ptr<SkinUI::FontRecord> MakeFont(const wchar_t* face, int size, bool bold,
                                               bool underline, bool italic);
  SkinUI::FontRecord* Filled(SkinUI::FontRecord* record);

  HDC paintDC_;
  SkinUI::CControlUI* focus_ = nullptr;
  SkinUI::CPointUI mouse_{-1, -1};
  SkinUI::CDpiScaleUI scale_;
  std::unique_ptr<SkinUI::FontRecord> defaultFont_;
  std::vector<std::unique_ptr<SkinUI::FontRecord>> fonts_;
  std::map<std::wstring, std::unique_ptr<SkinUI::ImageRecord>> images_;
  std::vector<std::wstring> imageRequests_;
  std::map<std::wstring, std::unique_ptr<SkinUI::CPointerArrayUI>> optionGroups_;
};

// A decoded image made from top-down ARGB pixels (not premultiplied), stored
// as the image loader stores it.
std::unique_ptr<SkinUI::ImageRecord> ImageFromPixels(int width, int height,
                                                     const std::vector<DWORD>& argb);

}  // namespace SkinUITest
