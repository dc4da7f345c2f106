#pragma once
// Turns skin markup into a tree of controls for one window: the window
// settings of the root element and the shared fonts, images and class
// defaults go to the window manager; every other element becomes a control,
// made by its element name, added to its parent container and given its
// attributes in document order.
//
// Skins are not trusted to be sane. One build (a Create with everything its
// Include elements bring in) is refused, with a reason, when an Include
// brings in a document that is being built already, asks for more than
// kMaxIncludeCount copies, lies more than kMaxIncludeNesting includes deep,
// or brings the included documents above kMaxIncludedDocuments; when it
// would make more than kMaxBuiltControls controls; and when a control would
// lie deeper than kMaxTreeDepth in the tree being built into. A refused
// build leaves nothing behind in the parent.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/markup/skin_xml.h"

namespace SkinUI {

class CControlUI;
class CWindowManagerUI;

// The application's maker for element names the framework does not know.
class IBuilderCallback {
 public:
  virtual CControlUI* MakeControl(const wchar_t* elementName) = 0;

 protected:
  ~IBuilderCallback() = default;
};

class CSkinBuilder {
 public:
  static constexpr int kMaxIncludeCount = 1000;
  // Each nested include costs the stack more than a level of elements does.
  static constexpr int kMaxIncludeNesting = 32;
  static constexpr int kMaxIncludedDocuments = 1000;
  static constexpr int kMaxBuiltControls = 100000;

  CSkinBuilder() = default;
  CSkinBuilder(const CSkinBuilder&) = delete;
  CSkinBuilder& operator=(const CSkinBuilder&) = delete;

  // skin is a resource id (MAKEINTRESOURCEW) of resourceType, markup text
  // starting with "<", or a skin file name. Without a manager nothing is
  // applied to a window and controls stay unbound; without a parent the
  // top-level controls are attached nowhere. Returns the first control of
  // the top level, or null when the markup cannot be loaded or the build is
  // refused.
  CControlUI* Create(const wchar_t* skin, const wchar_t* resourceType, IBuilderCallback* callback,
                     CWindowManagerUI* manager, CControlUI* parent = nullptr);

  // Why the last Create returned null: the reason the build was refused, or
  // the parser's reason the markup could not be loaded.
  const wchar_t* LastErrorMessage() const;

 private:
  // What one build and the builds of its includes share.
  struct TBuild {
    CControlUI* parent = nullptr;
    int controls = 0;
    int includedDocuments = 0;
    int includeNesting = 0;
    // The documents being built, the outermost first, by SourceKey.
    std::vector<std::wstring> sources;
    const wchar_t* error = nullptr;
    // Controls hung directly under the build's parent, each with whether the
    // build lent it the manager (taken back when the build ends).
    std::vector<std::pair<CControlUI*, bool>> topLevel;
  };

  CControlUI* Build(TBuild& build, const wchar_t* skin, const wchar_t* resourceType,
                    CControlUI* parent, int level);
  bool Load(const wchar_t* skin, const wchar_t* resourceType);
  static std::wstring SourceKey(const wchar_t* skin, const wchar_t* resourceType);
  void ApplySharedResources(CSkinXmlNode root);
  void ApplyWindowSettings(CSkinXmlNode root);
  CControlUI* BuildChildren(CSkinXmlNode node, CControlUI* parent, int level);
  bool Admit(int level);
  void RunInclude(CSkinXmlNode include, CControlUI* parent, int level);
  CControlUI* MakeControl(const wchar_t* elementName) const;
  bool ApplyAttributes(CSkinXmlNode element, CControlUI* control);
  void NoteTopLevel(CControlUI* parent, CControlUI* control, bool lent);
  void Fail(const wchar_t* reason);
  bool Failed() const { return currentBuild->error != nullptr; }
  static void ReturnManager(TBuild& build);
  static void Discard(TBuild& build, CControlUI* first);

  CSkinXml skinDocument;
  IBuilderCallback* appCallback = nullptr;
  CWindowManagerUI* targetManager = nullptr;
  const wchar_t* currentResourceType = nullptr;
  TBuild* currentBuild = nullptr;
  bool outermost = true;
  const wchar_t* lastError = nullptr;
};

// Registers a skin archive held in memory (as SetArchiveFromMemory does) and
// starts decoding its images ahead, at the scale a window on the main
// monitor has, before any window is made; a window built at another scale
// starts them again at its own.
void RegisterSkinArchiveInMemory(const void* data, DWORD length);

}  // namespace SkinUI
