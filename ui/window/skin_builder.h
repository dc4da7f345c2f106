#pragma once
// Turns skin markup into a tree of controls for one window: the window
// settings of the root element and the shared fonts, images and class
// defaults go to the window manager; every other element becomes a control,
// made by its element name, added to its parent container and given its
// attributes in document order.

#include <windows.h>

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
  CSkinBuilder() = default;
  CSkinBuilder(const CSkinBuilder&) = delete;
  CSkinBuilder& operator=(const CSkinBuilder&) = delete;

  // skin is a resource id (MAKEINTRESOURCEW) of resourceType, markup text
  // starting with "<", or a skin file name. Without a manager nothing is
  // applied to a window and controls stay unbound; without a parent the
  // top-level controls are attached nowhere. Returns the first control of
  // the top level, or null when the markup cannot be loaded.
  CControlUI* Create(const wchar_t* skin, const wchar_t* resourceType, IBuilderCallback* callback,
                     CWindowManagerUI* manager, CControlUI* parent = nullptr);

  // The parser's reason when Create failed to load.
  const wchar_t* LastErrorMessage() const { return document_.GetLastErrorMessage(); }

 private:
  bool Load(const wchar_t* skin, const wchar_t* resourceType);
  void ApplySharedResources(CSkinXmlNode root);
  void ApplyWindowSettings(CSkinXmlNode root);
  CControlUI* BuildChildren(CSkinXmlNode node, CControlUI* parent);
  void RunInclude(CSkinXmlNode include, CControlUI* parent);
  CControlUI* MakeControl(const wchar_t* elementName) const;
  void ApplyAttributes(CSkinXmlNode element, CControlUI* control);

  CSkinXml document_;
  IBuilderCallback* callback_ = nullptr;
  CWindowManagerUI* manager_ = nullptr;
  const wchar_t* resourceType_ = nullptr;
};

}  // namespace SkinUI
