#pragma once
// The skin's controls the main window works with, found by name once the
// tree is installed, each of the kind the window expects.

#include "ui/controls/button.h"
#include "ui/controls/label.h"
#include "ui/controls/list/list.h"
#include "ui/controls/option.h"
#include "ui/controls/progress.h"
#include "ui/controls/text.h"
#include "ui/window/window_manager.h"

struct TMainControls {
  SkinUI::CButtonUI* titleClose = nullptr;     // "BtnClose"
  SkinUI::CButtonUI* titleMinimise = nullptr;  // "BtnMiniSize"
  SkinUI::CButtonUI* close = nullptr;          // "Btn_Close": "Close", then "Finish"
  SkinUI::CButtonUI* scan = nullptr;           // "Btn_Scan": "Scan", "Fix" or "Retry"
  SkinUI::CButtonUI* website = nullptr;        // "Btn_Website"
  SkinUI::COptionUI* checkAll = nullptr;       // "Check_All"
  SkinUI::CListUI* list = nullptr;             // "List_Holes"
  SkinUI::CTextUI* message = nullptr;          // "Text_Msg"
  SkinUI::CLabelUI* state = nullptr;           // "Label_State"
  SkinUI::CProgressUI* progress = nullptr;     // "Progress_Action"
  SkinUI::CControlUI* welcome[6] = {};         // the three pictures, then "Text_1" ... "Text_3"
  SkinUI::CControlUI* icon = nullptr;          // "Control_Icon"
  SkinUI::CTextUI* result1 = nullptr;          // "Text_Result1"
  SkinUI::CTextUI* result2 = nullptr;          // "Text_Result2"
  SkinUI::CControlUI* bottom = nullptr;        // "Control_Bottom"
  SkinUI::COptionUI* restartLater = nullptr;   // "Option_RestartLater"
  SkinUI::COptionUI* restartNow = nullptr;     // "Option_RestartNow"

  // False when any of them is missing or of another kind.
  bool Find(SkinUI::CWindowManagerUI& manager);
};
