#include "app/version_request.h"

#include <memory>

#include "platform/internet_handle.h"
#include "platform/unique_handle.h"

namespace {

constexpr wchar_t kUserAgent[] = L"UA/Corvexa";
constexpr DWORD kLengthHeaderBytes = 128;
constexpr DWORD kMaxLocationBytes = INTERNET_MAX_URL_LENGTH * sizeof(wchar_t);

// Shared by the caller and the request thread, so that either may finish
// first; only the thread writes, and the caller reads after the thread ended.
struct TExchange {
  std::wstring address;
  TVersionCheckLimits limits;
  ULONGLONG deadline = 0;
  bool succeeded = false;
  std::string body;
};

bool PastDeadline(const TExchange& exchange) {
  return GetTickCount64() >= exchange.deadline;
}

// Set on every handle: not every WinINet hands the session's time-outs on
// to the connections and requests made under it.
void ApplyTimeouts(HINTERNET handle, const TVersionCheckLimits& limits) {
  DWORD connect = limits.connectTimeoutMs;
  DWORD send = limits.sendTimeoutMs;
  DWORD receive = limits.receiveTimeoutMs;
  InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
  InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof(send));
  InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
}

HINTERNET Connect(HINTERNET session, const TWebAddress& target, const TVersionCheckLimits& limits) {
  HINTERNET connection = InternetConnectW(session, target.host.c_str(), target.port, nullptr,
                                          nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  if (connection != nullptr) ApplyTimeouts(connection, limits);
  return connection;
}

HINTERNET OpenGet(HINTERNET connection, const TWebAddress& target,
                  const TVersionCheckLimits& limits) {
  if (connection == nullptr) return nullptr;
  HINTERNET request = HttpOpenRequestW(connection, L"GET", target.object.c_str(), nullptr, nullptr,
                                       nullptr, VersionRequestFlags(target), 0);
  if (request != nullptr) ApplyTimeouts(request, limits);
  return request;
}

// One GET on its own connection, sent at construction.
class CHttpGet {
 public:
  CHttpGet(HINTERNET session, const TWebAddress& target, const TVersionCheckLimits& limits)
      : connection_(Connect(session, target, limits)),
        request_(OpenGet(connection_.get(), target, limits)) {
    sent_ = request_ && HttpSendRequestW(request_.get(), nullptr, 0, nullptr, 0);
  }

  bool Sent() const { return sent_; }
  HINTERNET Request() const { return request_.get(); }

 private:
  InternetHandle connection_;
  InternetHandle request_;
  bool sent_ = false;
};

bool IsRedirect(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

DWORD StatusCode(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof(status);
  if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                      nullptr)) {
    return 0;
  }
  return status;
}

bool QueryLocation(HINTERNET request, std::wstring& location) {
  std::wstring text(kMaxLocationBytes / sizeof(wchar_t) + 1, L'\0');
  DWORD size = kMaxLocationBytes;
  if (!HttpQueryInfoW(request, HTTP_QUERY_LOCATION, text.data(), &size, nullptr)) return false;
  text.resize(size / sizeof(wchar_t));
  location = text;
  return true;
}

// The header read as a decimal number the way the platform's _wtol does
// (leading blanks, a sign, digits; no digits reads 0). False when it is
// negative or too large to be a page address.
bool ReadAnswerLength(const wchar_t* header, long long& length) {
  const wchar_t* p = header;
  while (*p == L' ' || *p == L'\t') ++p;
  bool negative = false;
  if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
  length = 0;
  for (; *p >= L'0' && *p <= L'9'; ++p) {
    length = length * 10 + (*p - L'0');
    if (length > kMaxVersionAnswerBytes) return false;
  }
  return !(negative && length > 0);
}

bool ReadContentLength(HINTERNET request, long long& length) {
  wchar_t header[kLengthHeaderBytes / sizeof(wchar_t)] = {};
  DWORD size = sizeof(header) - sizeof(wchar_t);
  DWORD index = 0;
  if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, header, &size, &index)) return false;
  return ReadAnswerLength(header, length);
}

// Reads until length bytes arrived or the server stops sending, one piece
// as it arrives, so that a slow drip cannot outlast the deadline.
bool ReadBody(HINTERNET request, TExchange& exchange) {
  long long length = 0;
  if (!ReadContentLength(request, length)) return false;
  std::string body(static_cast<size_t>(length), '\0');
  size_t received = 0;
  while (received < body.size()) {
    if (PastDeadline(exchange)) return false;
    DWORD available = 0;
    if (!InternetQueryDataAvailable(request, &available, 0, 0)) return false;
    const size_t remaining = body.size() - received;
    const DWORD wanted =
        static_cast<DWORD>(available == 0 || available > remaining ? remaining : available);
    DWORD read = 0;
    if (!InternetReadFile(request, body.data() + received, wanted, &read)) return false;
    if (read == 0) break;
    received += read;
  }
  body.resize(received);
  exchange.body = body;
  return true;
}

bool Exchange(TExchange& exchange) {
  InternetHandle session(InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (!session) return false;
  ApplyTimeouts(session.get(), exchange.limits);
  std::wstring current = exchange.address;
  for (int redirects = 0;; ++redirects) {
    TWebAddress target;
    if (PastDeadline(exchange) || !ParseWebAddress(current, target)) return false;
    CHttpGet get(session.get(), target, exchange.limits);
    if (!get.Sent()) return false;
    if (!IsRedirect(StatusCode(get.Request()))) return ReadBody(get.Request(), exchange);
    std::wstring location;
    if (redirects == kMaxVersionRedirects || !QueryLocation(get.Request(), location) ||
        !FollowLocation(current, location, current)) {
      return false;
    }
  }
}

DWORD WINAPI ExchangeThread(LPVOID argument) {
  std::unique_ptr<std::shared_ptr<TExchange>> exchange(
      static_cast<std::shared_ptr<TExchange>*>(argument));
  try {
    (*exchange)->succeeded = Exchange(**exchange);
  } catch (...) {
  }
  return 0;
}

}  // namespace

DWORD VersionRequestFlags(const TWebAddress& target) {
  return kPlainRequestFlags | (target.secure ? INTERNET_FLAG_SECURE : 0);
}

bool FetchVersionAnswer(const std::wstring& address, const TVersionCheckLimits& limits,
                        std::string& body) {
  auto exchange = std::make_shared<TExchange>();
  exchange->address = address;
  exchange->limits = limits;
  exchange->deadline = GetTickCount64() + limits.wholeCheckMs;
  auto* threadShare = new std::shared_ptr<TExchange>(exchange);
  UniqueHandle thread(CreateThread(nullptr, 0, ExchangeThread, threadShare, 0, nullptr));
  if (!thread) {
    delete threadShare;
    return false;
  }
  // Closing the request's handles from here would abort a blocked call, but
  // the thread could then reach a handle value already reused by another
  // transfer of the process; it ends on its own time-outs instead.
  if (WaitForSingleObject(thread.get(), limits.wholeCheckMs) != WAIT_OBJECT_0) return false;
  if (!exchange->succeeded) return false;
  body = exchange->body;
  return true;
}
