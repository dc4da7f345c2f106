#include "agent_refresh/refresh_update_agent.h"

#include <string>

#include "agent_refresh/download_to_temp_file.h"
#include "agent_refresh/extract_cabinet.h"
#include "agent_refresh/http_fetch.h"
#include "agent_refresh/install_agent_if_older.h"
#include "agent_refresh/temp_folder.h"

const char kVendorCatalogueUrl[] = "http://update.microsoft.com/redist/wuredist.cab";

namespace {

void Refresh(const char* catalogueUrl) {
  PrepareHttpFetch();
  std::string cabinetPath;
  FileAndFolderRemover removeCabinet(cabinetPath);
  if (!catalogueUrl || !DownloadToTempFile(&cabinetPath, catalogueUrl, false)) return;

  std::string xmlPath;
  ExtractionRemover removeExtraction(xmlPath);
  if (!ExtractCabinet(&xmlPath, cabinetPath.c_str())) return;
  removeCabinet.RemoveNow();

  InstallAgentIfOlder(xmlPath.c_str());
}

}  // namespace

void RefreshUpdateAgent(const char* catalogueUrl) {
  try {
    Refresh(catalogueUrl);
  } catch (...) {
    // Runs first on the scan worker: nothing may stop the search behind it.
  }
}
