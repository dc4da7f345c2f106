#include "agent_refresh/install_agent_if_older.h"

#include <windows.h>

#include <boost/property_tree/detail/xml_parser_read_rapidxml.hpp>
#include <boost/property_tree/ptree.hpp>
#include <string>
#include <vector>

#include "agent_refresh/agent_installer_run.h"
#include "agent_refresh/is_agent_older.h"
#include "agent_refresh/refresh_limits.h"
#include "agent_refresh/xml_nesting.h"
#include "platform/file_bytes.h"
#include "platform/run_log.h"
#include "platform/unique_handle.h"

namespace {

constexpr char kEntriesPath[] = "WURedist.StandaloneRedist";
constexpr char kEntryKey[] = "architecture";
constexpr char kNameAttribute[] = "<xmlattr>.name";
constexpr char kClientVersionAttribute[] = "<xmlattr>.clientVersion";
constexpr char kDownloadUrlAttribute[] = "<xmlattr>.downloadUrl";
// The catalogue is three levels deep; anything far deeper is not one.
constexpr int kMaxCatalogueDepth = 32;

// The whole document, if it is no larger than a catalogue may be.
bool ReadCatalogueDocument(const char* path, std::string* text) {
  UniqueHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  std::vector<unsigned char> bytes;
  if (ReadOpenFile(file.get(), CurrentRefreshLimits().catalogueMaxBytes, bytes) !=
      FileReadResult::Ok) {
    return false;
  }
  text->assign(bytes.begin(), bytes.end());
  return true;
}

namespace pt = boost::property_tree;

// The property tree's own XML reader, fed from the text already in memory:
// its stream front end would bring the standard library's whole locale and
// stream machinery into the program for one read of a buffer.
pt::ptree ReadCatalogueTree(const std::string& text) {
  namespace rapidxml = pt::detail::rapidxml;
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  rapidxml::xml_document<char> document;
  document.parse<rapidxml::parse_comment_nodes>(buffer.data());
  pt::ptree tree;
  for (rapidxml::xml_node<char>* node = document.first_node(); node != nullptr;
       node = node->next_sibling()) {
    pt::xml_parser::read_xml_node(node, tree, 0);
  }
  return tree;
}

}  // namespace

const char* NativeArchitectureName() {
  SYSTEM_INFO system = {};
  GetNativeSystemInfo(&system);
  switch (system.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_AMD64:
      return "x64";
    case PROCESSOR_ARCHITECTURE_IA64:
      return "ia64";
    default:
      return "x86";
  }
}

void InstallAgentIfOlder(const char* xmlPath) {
  const std::string native = NativeArchitectureName();
  try {
    std::string text;
    if (!ReadCatalogueDocument(xmlPath, &text) || !IsAcceptableMarkup(text, kMaxCatalogueDepth)) {
      LogLine(L"agent refresh: the catalogue could not be read");
      return;
    }
    const pt::ptree document = ReadCatalogueTree(text);
    bool named = false;
    for (const auto& child : document.get_child(kEntriesPath)) {
      if (child.first != kEntryKey) continue;
      const pt::ptree& entry = child.second;
      if (entry.get<std::string>(kNameAttribute) != native) continue;
      named = true;
      if (!IsAgentOlder(entry.get<std::string>(kClientVersionAttribute).c_str())) continue;
      if (!RunAgentInstaller(entry.get<std::string>(kDownloadUrlAttribute).c_str())) return;
    }
    if (!named) LogLine(L"agent refresh: the catalogue names no agent for %S", native.c_str());
  } catch (...) {
    // A catalogue we cannot read leaves the installed agent as it is.
    LogLine(L"agent refresh: the catalogue could not be read");
  }
}
