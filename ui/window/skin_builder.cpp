#include "ui/window/skin_builder.h"

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls/box_layout.h"
#include "ui/controls/button.h"
#include "ui/controls/container.h"
#include "ui/controls/control.h"
#include "ui/controls/label.h"
#include "ui/controls/list/list.h"
#include "ui/controls/list/list_header.h"
#include "ui/controls/list/list_rows.h"
#include "ui/controls/option.h"
#include "ui/controls/progress.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/text.h"
#include "ui/markup/skin_resources.h"
#include "ui/render/image_prefetch.h"
#include "ui/window/process_settings.h"
#include "ui/window/window_dpi.h"
#include "ui/window/window_manager.h"

namespace SkinUI {

namespace {

using namespace AttributeValue;

constexpr wchar_t kWindowElement[] = L"Window";
constexpr wchar_t kImageElement[] = L"Image";
constexpr wchar_t kFontElement[] = L"Font";
constexpr wchar_t kDefaultElement[] = L"Default";
constexpr wchar_t kIncludeElement[] = L"Include";
constexpr int kDefaultFontSize = 12;
// Include's "source" is read into a buffer of this many characters.
constexpr int kIncludeSourceChars = 500;

// Why a build is refused; the depth message is the parser's own.
constexpr wchar_t kNestedTooDeeply[] = L"Elements nested too deeply";
constexpr wchar_t kIncludeCycle[] = L"Include brings in a document that is being built";
constexpr wchar_t kIncludeCountTooLarge[] = L"Include count too large";
constexpr wchar_t kIncludesNestedTooDeeply[] = L"Includes nested too deeply";
constexpr wchar_t kTooManyIncludes[] = L"Too many included documents";
constexpr wchar_t kTooManyControls[] = L"Too many controls";

struct TElementFactory {
  const wchar_t* name;
  CControlUI* (*make)();
};

template <typename T>
CControlUI* Make() {
  return new T;
}

// The elements the framework builds itself. The extended controls have no
// entry: like any unknown name they go to the plug-ins and the callback.
const TElementFactory kBuiltInElements[] = {
    {L"Control", Make<CControlUI>},
    {L"Container", Make<CContainerUI>},
    {L"VerticalLayout", Make<CVerticalLayoutUI>},
    {L"HorizontalLayout", Make<CHorizontalLayoutUI>},
    {L"Label", Make<CLabelUI>},
    {L"Button", Make<CButtonUI>},
    {L"Option", Make<COptionUI>},
    {L"Text", Make<CTextUI>},
    {L"Progress", Make<CProgressUI>},
    {L"ScrollBar", Make<CScrollBarUI>},
    {L"List", Make<CListUI>},
    {L"ListHeader", Make<CListHeaderUI>},
    {L"ListHeaderItem", Make<CListHeaderItemUI>},
    {L"ListTextElement", Make<CListTextElementUI>},
    {L"ListLabelElement", Make<CListLabelElementUI>},
    {L"ListContainerElement", Make<CListContainerElementUI>},
};

using AttributeValue::Is;

// The value of the named attribute, or null. The pointer stays valid while
// the document is loaded.
const wchar_t* Attribute(CSkinXmlNode& node, const wchar_t* name) {
  const int count = node.GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    if (Is(node.GetAttributeName(i), name)) return node.GetAttributeValue(i);
  }
  return nullptr;
}

}  // namespace

CControlUI* CSkinBuilder::Create(const wchar_t* skin, const wchar_t* resourceType,
                                 IBuilderCallback* callback, CWindowManagerUI* manager,
                                 CControlUI* parent) {
  appCallback = callback;
  targetManager = manager;
  lastError = nullptr;
  TBuild build;
  build.parent = parent;
  // A window's skin file: its images decode on a second thread while this
  // one builds. Once a build, not for each included file.
  if (manager != nullptr && skin != nullptr && !IS_INTRESOURCE(skin) && skin[0] != L'<') {
    StartImagePrefetch(manager->Resources().Scale());
  }
  const int level = parent != nullptr ? parent->DepthInTree() + 1 : 1;
  CControlUI* first = Build(build, skin, resourceType, parent, level);
  if (build.error != nullptr) {
    lastError = build.error;
    Discard(build, first);
    return nullptr;
  }
  ReturnManager(build);
  return first;
}

const wchar_t* CSkinBuilder::LastErrorMessage() const {
  return lastError != nullptr ? lastError : skinDocument.GetLastErrorMessage();
}

// Loads and builds one document at the given tree level; the document is
// one of the build's sources while its controls are made.
CControlUI* CSkinBuilder::Build(TBuild& build, const wchar_t* skin, const wchar_t* resourceType,
                                CControlUI* parent, int level) {
  currentBuild = &build;
  currentResourceType = nullptr;
  if (skin == nullptr || !Load(skin, resourceType)) return nullptr;
  CSkinXmlNode root = skinDocument.GetRoot();
  if (!root.IsValid()) return nullptr;
  if (targetManager != nullptr) {
    ApplySharedResources(root);
    ApplyWindowSettings(root);
  }
  const bool named = IS_INTRESOURCE(skin) || skin[0] != L'<';
  if (named) build.sources.push_back(SourceKey(skin, currentResourceType));
  CControlUI* first = BuildChildren(root, parent, level);
  if (named) build.sources.pop_back();
  return first;
}

// The same document however it is named: resources by number, files
// whatever the letter case and the kind of slash.
std::wstring CSkinBuilder::SourceKey(const wchar_t* skin, const wchar_t* resourceType) {
  if (IS_INTRESOURCE(skin)) {
    return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(skin)) + L"#" +
           (resourceType != nullptr && !IS_INTRESOURCE(resourceType)
                ? std::wstring(resourceType)
                : std::to_wstring(reinterpret_cast<ULONG_PTR>(resourceType)));
  }
  std::wstring key = skin;
  for (wchar_t& ch : key) {
    if (ch == L'/') ch = L'\\';
  }
  if (!key.empty()) CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
  return key;
}

// Every control the build lent the manager to gives it back; controls that
// were bound before (built into an installed tree) keep theirs.
void CSkinBuilder::ReturnManager(TBuild& build) {
  for (const auto& [control, lent] : build.topLevel) {
    if (lent) control->BindManager(nullptr, control->GetParent(), false);
  }
}

// A refused build takes back what it hung under the parent.
void CSkinBuilder::Discard(TBuild& build, CControlUI* first) {
  if (build.parent == nullptr) {
    delete first;
    return;
  }
  auto* container = static_cast<IContainerUI*>(build.parent->InterfaceFor(L"IContainer"));
  if (container == nullptr) return;
  for (const auto& entry : build.topLevel) container->Remove(entry.first);
}

bool CSkinBuilder::Load(const wchar_t* skin, const wchar_t* resourceType) {
  if (IS_INTRESOURCE(skin)) {
    std::vector<unsigned char> bytes;
    if (!ReadResourceBytes(skin, resourceType, bytes)) return false;
    currentResourceType = resourceType;
    return skinDocument.LoadBytes(bytes.data(), static_cast<DWORD>(bytes.size()), kSkinXmlUtf8);
  }
  if (skin[0] == L'<') return skinDocument.LoadText(skin);
  return skinDocument.LoadFile(skin, kSkinXmlUtf8);
}

// Fonts, images and class defaults apply before any control is built,
// wherever they stand among the root's children.
void CSkinBuilder::ApplySharedResources(CSkinXmlNode root) {
  for (CSkinXmlNode node = root.GetFirstChild(); node.IsValid(); node = node.GetNextSibling()) {
    const wchar_t* element = node.GetName();
    if (Is(element, kImageElement)) {
      const wchar_t* name = Attribute(node, L"name");
      const wchar_t* type = Attribute(node, L"restype");
      const wchar_t* mask = Attribute(node, L"mask");
      if (name != nullptr)
        targetManager->Resources().LoadAndKeepImage(name, type, mask ? Color(mask) : 0);
    } else if (Is(element, kFontElement)) {
      const wchar_t* face = Attribute(node, L"name");
      if (face == nullptr) continue;
      const wchar_t* size = Attribute(node, L"size");
      const int pixels = size != nullptr ? Integer(size) : kDefaultFontSize;
      const bool bold = Boolean(Attribute(node, L"bold"));
      const bool underline = Boolean(Attribute(node, L"underline"));
      const bool italic = Boolean(Attribute(node, L"italic"));
      targetManager->Resources().RegisterFont(face, pixels, bold, underline, italic);
      if (Boolean(Attribute(node, L"default"))) {
        targetManager->Resources().ReplaceDefaultFont(face, pixels, bold, underline, italic);
      }
    } else if (Is(element, kDefaultElement)) {
      const wchar_t* name = Attribute(node, L"name");
      const wchar_t* value = Attribute(node, L"value");
      if (name != nullptr)
        targetManager->Resources().AddClassDefaults(name, value != nullptr ? value : L"");
    }
  }
}

void CSkinBuilder::ApplyWindowSettings(CSkinXmlNode root) {
  if (targetManager->WindowHandle() == nullptr || !Is(root.GetName(), kWindowElement)) return;
  const int count = root.GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    const wchar_t* name = root.GetAttributeName(i);
    const wchar_t* value = root.GetAttributeValue(i);
    if (Is(name, L"size")) {
      const SIZE size = Size(value);
      targetManager->SetInitialSize(size.cx, size.cy);
    } else if (Is(name, L"sizebox")) {
      targetManager->SetResizeBorder(Rectangle(value));
    } else if (Is(name, L"caption")) {
      targetManager->SetCaptionArea(Rectangle(value));
    } else if (Is(name, L"roundcorner")) {
      const SIZE round = Size(value);
      targetManager->SetCornerRounding(round.cx, round.cy);
    } else if (Is(name, L"mininfo")) {
      const SIZE size = Size(value);
      targetManager->SetMinTrackSize(size.cx, size.cy);
    } else if (Is(name, L"maxinfo")) {
      const SIZE size = Size(value);
      targetManager->SetMaxTrackSize(size.cx, size.cy);
    } else if (Is(name, L"focusrect")) {
      targetManager->SetFocusIndicatorStyle(value);
    } else if (Is(name, L"showdirty")) {
      targetManager->SetShowDirtyRect(Boolean(value));
    } else if (Is(name, L"alpha")) {
      targetManager->SetWindowOpacity(Integer(value));
    } else if (Is(name, L"bktrans")) {
      targetManager->SetTranslucentBackground(Boolean(value));
    } else if (Is(name, L"disabledfontcolor")) {
      targetManager->Resources().SetDisabledTextColor(Color(value));
    } else if (Is(name, L"defaultfontcolor")) {
      targetManager->Resources().SetDefaultTextColor(Color(value));
    } else if (Is(name, L"linkfontcolor")) {
      targetManager->Resources().SetLinkTextColor(Color(value));
    } else if (Is(name, L"linkhoverfontcolor")) {
      targetManager->Resources().SetLinkHoverTextColor(Color(value));
    } else if (Is(name, L"selectedcolor")) {
      targetManager->Resources().SetSelectedBackColor(Color(value));
    }
  }
}

// Builds every child element of node under parent, at the given tree level;
// the first control made at this level is the result.
CControlUI* CSkinBuilder::BuildChildren(CSkinXmlNode node, CControlUI* parent, int level) {
  IContainerUI* container = nullptr;
  bool containerLookedUp = false;
  CControlUI* first = nullptr;
  for (CSkinXmlNode child = node.GetFirstChild(); child.IsValid() && !Failed();
       child = child.GetNextSibling()) {
    const wchar_t* element = child.GetName();
    if (Is(element, kImageElement) || Is(element, kFontElement) || Is(element, kDefaultElement)) {
      continue;
    }
    if (Is(element, kIncludeElement)) {
      RunInclude(child, parent, level);
      continue;
    }
    CControlUI* control = MakeControl(element);
    if (control == nullptr) continue;
    if (!Admit(level)) {
      delete control;
      break;
    }
    if (parent == nullptr && first != nullptr) {
      // Only the first top-level control is handed back; a further one would
      // be reachable from nowhere.
      delete control;
      continue;
    }
    // A container receives its children before its own attributes.
    if (child.HasChildren()) BuildChildren(child, control, level + 1);
    if (Failed()) {
      delete control;
      break;
    }

    if (parent != nullptr) {
      if (!containerLookedUp) {
        container = static_cast<IContainerUI*>(parent->InterfaceFor(L"IContainer"));
        containerLookedUp = true;
      }
      // Nothing can hold these controls: the level ends, and what was made
      // for it goes too.
      if (container == nullptr) {
        delete control;
        return nullptr;
      }
      if (!container->Add(control)) {
        delete control;
        continue;
      }
    }
    NoteTopLevel(parent, control, ApplyAttributes(child, control));
    if (first == nullptr) first = control;
  }
  return first;
}

bool CSkinBuilder::Admit(int level) {
  if (level > kMaxTreeDepth) {
    Fail(kNestedTooDeeply);
  } else if (++currentBuild->controls > kMaxBuiltControls) {
    Fail(kTooManyControls);
  }
  return !Failed();
}

void CSkinBuilder::NoteTopLevel(CControlUI* parent, CControlUI* control, bool lent) {
  // What an include under a parentless document builds is thrown away at once.
  if (parent != currentBuild->parent || (parent == nullptr && !outermost)) return;
  currentBuild->topLevel.emplace_back(control, lent);
}

void CSkinBuilder::Fail(const wchar_t* reason) {
  if (currentBuild->error == nullptr) currentBuild->error = reason;
}

// The included builders live on the heap, and so does the name they read:
// includes inside deep trees must not cost the stack more than the levels do.
void CSkinBuilder::RunInclude(CSkinXmlNode include, CControlUI* parent, int level) {
  const wchar_t* countText = Attribute(include, L"count");
  const int count = countText != nullptr ? Integer(countText) : 1;
  std::vector<wchar_t> source(kIncludeSourceChars, L'\0');
  if (!include.FindAttributeValue(L"source", source.data(), kIncludeSourceChars - 1)) return;
  if (count <= 0) return;
  if (count > kMaxIncludeCount) {
    Fail(kIncludeCountTooLarge);
    return;
  }
  if (currentBuild->includeNesting >= kMaxIncludeNesting) {
    Fail(kIncludesNestedTooDeeply);
    return;
  }
  const wchar_t* skin = source.data();
  if (currentResourceType != nullptr) skin = MAKEINTRESOURCEW(Integer(source.data()));
  const std::wstring key = SourceKey(skin, currentResourceType);
  for (const std::wstring& building : currentBuild->sources) {
    if (building == key) {
      Fail(kIncludeCycle);
      return;
    }
  }
  for (int i = 0; i < count && !Failed(); ++i) {
    if (++currentBuild->includedDocuments > kMaxIncludedDocuments) {
      Fail(kTooManyIncludes);
      return;
    }
    auto included = std::make_unique<CSkinBuilder>();
    included->appCallback = appCallback;
    included->targetManager = targetManager;
    included->outermost = false;
    ++currentBuild->includeNesting;
    CControlUI* built = included->Build(*currentBuild, skin, currentResourceType, parent, level);
    --currentBuild->includeNesting;
    // Without a parent nothing holds what was included.
    if (parent == nullptr) delete built;
  }
}

CControlUI* CSkinBuilder::MakeControl(const wchar_t* elementName) const {
  for (const TElementFactory& factory : kBuiltInElements) {
    if (Is(elementName, factory.name)) return factory.make();
  }
  if (CControlUI* control = CreateControlFromPlugins(elementName)) return control;
  return appCallback != nullptr ? appCallback->MakeControl(elementName) : nullptr;
}

// The manager is lent for the attributes (an option joins its group, fonts
// resolve) and kept until the whole build ends, so that an option selected
// later in the skin, or in an included document, switches off the members
// built before it. True when the control had no manager of its own.
bool CSkinBuilder::ApplyAttributes(CSkinXmlNode element, CControlUI* control) {
  const bool lent = targetManager != nullptr && control->GetManager() == nullptr;
  if (targetManager != nullptr) {
    control->BindManager(targetManager, control->GetParent(), false);
    if (const wchar_t* defaults = targetManager->Resources().ClassDefaults(element.GetName())) {
      control->ApplyAttributeText(defaults);
    }
  }
  const int count = element.GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    control->ApplyAttribute(element.GetAttributeName(i), element.GetAttributeValue(i));
  }
  return lent;
}

void RegisterSkinArchiveInMemory(const void* data, DWORD length) {
  SetArchiveFromMemory(data, length);
  StartImagePrefetch(CDpiScaleUI(WindowDpi(nullptr)));
}

}  // namespace SkinUI
