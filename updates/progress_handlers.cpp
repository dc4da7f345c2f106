#include "updates/progress_handlers.h"

namespace {

DECIMAL Decimal(ULONGLONG value) {
  DECIMAL decimal;
  DECIMAL_SETZERO(decimal);
  decimal.Lo64 = value;
  return decimal;
}

}  // namespace

void DeliverReport(const TAgentReport& report, const InstallHandlers& handlers) {
  if (const auto* download = std::get_if<TDownloadReport>(&report)) {
    if (!handlers.downloadProgress) return;
    handlers.downloadProgress(download->title.c_str(), download->updateId.c_str(),
                              Decimal(download->bytesDownloaded),
                              Decimal(download->bytesToDownload), download->currentPercent,
                              download->overallPercent, download->resultCode, download->result);
  } else if (const auto* install = std::get_if<TInstallReport>(&report)) {
    if (!handlers.installProgress) return;
    handlers.installProgress(install->title.c_str(), install->updateId.c_str(), install->position,
                             install->count, install->currentPercent, install->overallPercent,
                             install->resultCode, install->result);
  } else if (handlers.installationFinished) {
    handlers.installationFinished(std::get<TInstallationEnded>(report).succeeded);
  }
}
