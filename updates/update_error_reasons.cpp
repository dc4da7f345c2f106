#include "updates/update_error_reasons.h"

#include <wuerror.h>

#include "agent_seam/agent_interfaces.h"

namespace {

// System error numbers the platform headers keep elsewhere (the internet
// client's, the installer service's).
constexpr DWORD kFailRebootRequired = 3017;
constexpr DWORD kInternetTimeout = 12002;
constexpr DWORD kInternetNameNotResolved = 12007;
constexpr DWORD kInternetCannotConnect = 12029;
constexpr DWORD kInternetSecureFailure = 12175;

struct TReason {
  HRESULT result;
  const wchar_t* text;
};

// The update agent's documented codes that users meet most, and the system
// codes it passes on from installers, disks, services and the network.
constexpr TReason kReasons[] = {
    // The agent and its service.
    {WU_E_NO_SERVICE, L"The update service could not be reached."},
    {WU_E_AU_NOSERVICE, L"The update service is not running."},
    {HRESULT_FROM_WIN32(ERROR_SERVICE_DISABLED), L"The update service is disabled."},
    {WU_E_SERVICE_STOP, L"The update service or the system was shutting down."},
    {HRESULT_FROM_WIN32(ERROR_SHUTDOWN_IN_PROGRESS), L"The system is shutting down."},
    {WU_E_SELFUPDATE_IN_PROGRESS, L"The update service is updating itself; try again shortly."},
    {WU_E_OPERATIONINPROGRESS, L"Another update operation is in progress."},
    {WU_E_INSTALL_NOT_ALLOWED,
     L"Another installation is running, or the computer must restart first."},
    {HRESULT_FROM_WIN32(ERROR_INSTALL_ALREADY_RUNNING), L"Another installation is in progress."},
    {WU_E_UH_POSTREBOOTSTILLPENDING, L"A restart is pending; restart the computer and try again."},
    {HRESULT_FROM_WIN32(ERROR_SUCCESS_REBOOT_REQUIRED),
     L"The computer must restart to finish the installation."},
    {HRESULT_FROM_WIN32(kFailRebootRequired),
     L"The computer must restart before this update can be installed."},
    {WU_E_SETUP_IN_PROGRESS, L"Updates cannot be installed while system setup runs."},
    {WU_E_CALL_CANCELLED, L"The operation was cancelled."},
    {WU_E_UH_OPERATIONCANCELLED, L"The installation was cancelled."},
    {WU_E_TIME_OUT, L"The operation took too long and was stopped."},
    {HRESULT_FROM_WIN32(ERROR_TIMEOUT), L"The operation took too long and was stopped."},
    {WU_E_ALL_UPDATES_FAILED, L"Every update of the operation failed."},
    {WU_E_NO_UPDATE, L"There was no update to install."},
    {WU_E_NOT_APPLICABLE, L"The update does not apply to this computer."},
    {WU_E_EULAS_DECLINED, L"The license terms were not accepted."},
    {WU_E_EULA_UNAVAILABLE, L"The license terms could not be downloaded."},
    {WU_E_EXCLUSIVE_INSTALL_CONFLICT, L"This update must be installed on its own."},
    {WU_E_INVALID_UPDATE, L"The update's description is damaged."},
    {WU_E_UH_INSTALLERFAILURE, L"The update's installer failed."},
    {WU_E_USER_ACCESS_DISABLED, L"A policy setting blocks access to updates."},
    {WU_E_PER_MACHINE_UPDATE_ACCESS_DENIED, L"Only administrators may install this update."},
    // Downloads and the network.
    {WU_E_NO_CONNECTION, L"There is no network connection."},
    {WU_E_DOWNLOAD_FAILED, L"The update could not be downloaded."},
    {WU_E_DM_NOTDOWNLOADED, L"The update was not downloaded."},
    {WU_E_DM_INCORRECTFILEHASH, L"A downloaded file was damaged; download it again."},
    {WU_E_DM_FAILTOCONNECTTOBITS, L"The download service could not be reached."},
    {WU_E_PT_WINHTTP_NAME_NOT_RESOLVED, L"The update server's name could not be resolved."},
    {WU_E_PT_ENDPOINT_UNREACHABLE, L"The update server could not be reached."},
    {WU_E_PT_HTTP_STATUS_PROXY_AUTH_REQ, L"The proxy server asks for a sign-in."},
    {WU_E_PT_HTTP_STATUS_FORBIDDEN, L"The update server refused the request (proxy or firewall)."},
    {WU_E_PT_HTTP_STATUS_NOT_FOUND, L"The update server does not have the update."},
    {WU_E_PT_HTTP_STATUS_SERVICE_UNAVAIL, L"The update server is busy; try again later."},
    {WU_E_INVALID_PROXY_SERVER, L"The proxy setting is not valid."},
    {HRESULT_FROM_WIN32(kInternetTimeout), L"The connection to the server timed out."},
    {HRESULT_FROM_WIN32(kInternetCannotConnect), L"The server could not be reached."},
    {HRESULT_FROM_WIN32(kInternetNameNotResolved), L"The server's name could not be resolved."},
    {HRESULT_FROM_WIN32(kInternetSecureFailure),
     L"No secure connection could be made; check the date and time."},
    // The disk, files and the component store.
    {HRESULT_FROM_WIN32(ERROR_DISK_FULL), L"There is not enough free disk space."},
    {HRESULT_FROM_WIN32(ERROR_HANDLE_DISK_FULL), L"There is not enough free disk space."},
    {HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION), L"A file is in use by another program."},
    {HRESULT_FROM_WIN32(ERROR_SXS_COMPONENT_STORE_CORRUPT), L"The component store is damaged."},
    {static_cast<HRESULT>(0x800F0831), L"The component store is damaged."},
    {static_cast<HRESULT>(0x800F081F), L"Files the update needs are missing from the system."},
    {static_cast<HRESULT>(0x800F0922), L"The update could not be installed into the system."},
    {HRESULT_FROM_WIN32(ERROR_NOT_FOUND), L"Something the update needs was not found."},
    // Installers and permissions.
    {HRESULT_FROM_WIN32(ERROR_INSTALL_FAILURE), L"The update's installer reported an error."},
    {E_ACCESSDENIED, L"Access was denied."},
    {E_OUTOFMEMORY, L"There was not enough memory."},
    {E_ABORT, L"The operation was stopped."},
    {E_FAIL, L"An unspecified error occurred."},
};

}  // namespace

const wchar_t* UpdateErrorReason(HRESULT result) {
  for (const TReason& reason : kReasons) {
    if (reason.result == result) return reason.text;
  }
  return nullptr;
}

const wchar_t* UpdateResultName(LONG resultCode) {
  switch (resultCode) {
    case orcNotStarted:
      return L"not started";
    case orcInProgress:
      return L"in progress";
    case orcSucceeded:
      return L"succeeded";
    case orcSucceededWithErrors:
      return L"succeeded with errors";
    case orcFailed:
      return L"failed";
    case orcAborted:
      return L"aborted";
    default:
      return L"unknown result";
  }
}

std::wstring HresultText(HRESULT result) {
  wchar_t text[16] = {};
  wsprintfW(text, L"0x%08X", static_cast<unsigned>(result));
  return text;
}

std::wstring DescribeHresult(HRESULT result) {
  const wchar_t* reason = UpdateErrorReason(result);
  return reason ? HresultText(result) + L" (" + reason + L")" : HresultText(result);
}
