#include "agent_refresh/refresh_update_agent.h"

#include <string>

#include "agent_refresh/download_to_temp_file.h"
#include "agent_refresh/extract_cabinet.h"
#include "agent_refresh/http_fetch.h"
#include "agent_refresh/install_agent_if_older.h"
#include "agent_refresh/vendor_signature_verifier.h"
#include "agent_refresh/work_folder.h"
#include "platform/run_log.h"

const char kVendorCatalogueUrl[] = "http://update.microsoft.com/redist/wuredist.cab";

namespace {

void Refresh(const char* catalogueUrl) {
  PrepareHttpFetch();
  WorkFolder cabinetFolder;
  std::string cabinetPath;
  if (!catalogueUrl || !DownloadToTempFile(&cabinetPath, catalogueUrl, false, &cabinetFolder)) {
    LogLine(L"agent refresh: the catalogue %S could not be downloaded", catalogueUrl);
    return;
  }
  // The catalogue decides which program runs elevated: it must be the
  // vendor's, and stay unchanged until it is unpacked.
  UniqueHandle cabinet = OpenVendorSigned(cabinetPath);
  if (!cabinet) {
    LogLine(L"agent refresh: the catalogue is not signed by the vendor; not used");
    return;
  }

  WorkFolder extractionFolder;
  std::string xmlPath;
  if (!ExtractCabinet(&xmlPath, cabinetPath.c_str(), &extractionFolder)) {
    LogLine(L"agent refresh: the catalogue could not be unpacked");
    return;
  }
  cabinet.reset();
  cabinetFolder.Remove();

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
