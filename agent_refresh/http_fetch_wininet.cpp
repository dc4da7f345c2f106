// WinINet transfer, for toolchains without libcurl.
#if !defined(PATCHWELL_HAVE_CURL) || !PATCHWELL_HAVE_CURL

#include "agent_refresh/http_fetch.h"

#include <windows.h>
#include <wininet.h>

#include <climits>
#include <cstdlib>

#include "platform/internet_handle.h"

namespace {

constexpr DWORD kHttpOk = 200;
constexpr DWORD kReadChunk = 16 * 1024;

// Host, port and object of an http or https address; anything else is refused.
struct HttpAddress {
  char host[INTERNET_MAX_HOST_NAME_LENGTH] = {};
  char object[INTERNET_MAX_URL_LENGTH] = {};
  INTERNET_PORT port = 0;
  bool secure = false;
};

bool CrackHttpUrl(const char* url, HttpAddress* address) {
  char extra[INTERNET_MAX_URL_LENGTH] = {};
  URL_COMPONENTSA parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.lpszHostName = address->host;
  parts.dwHostNameLength = sizeof(address->host);
  parts.lpszUrlPath = address->object;
  parts.dwUrlPathLength = sizeof(address->object);
  parts.lpszExtraInfo = extra;
  parts.dwExtraInfoLength = sizeof(extra);
  if (!InternetCrackUrlA(url, 0, 0, &parts)) return false;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
  if (!address->host[0]) return false;
  size_t pathLength = parts.dwUrlPathLength;
  size_t extraLength = parts.dwExtraInfoLength;
  if (pathLength + extraLength >= sizeof(address->object)) return false;
  for (size_t i = 0; i <= extraLength; ++i) address->object[pathLength + i] = extra[i];
  address->port = parts.nPort;
  address->secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  return true;
}

// Set on the connection and the request themselves: not every WinINet
// passes the session's time-outs on to the requests made under it.
void ApplyTimeouts(HINTERNET handle, const RefreshLimits& limits) {
  DWORD connect = limits.connectTimeoutMs;
  DWORD receive = limits.lowSpeedTimeMs;
  InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
  InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof(receive));
  InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
}

DWORD StatusCode(HINTERNET request) {
  DWORD status = 0;
  DWORD length = sizeof(status);
  if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length,
                      nullptr))
    return 0;
  return status;
}

// The announced body length, or -1 when the server announced none.
long long AnnouncedLength(HINTERNET request) {
  char text[32] = {};
  DWORD length = sizeof(text) - 1;
  if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &length, nullptr)) return -1;
  char* end = nullptr;
  unsigned long long value = std::strtoull(text, &end, 10);
  if (end == text || value > static_cast<unsigned long long>(LLONG_MAX)) return -1;
  return static_cast<long long>(value);
}

// Counts the bytes of one window of lowSpeedTimeMs; a window that carried
// less than the low-speed rate ends the transfer, as a stall would.
class LowSpeedWatch {
 public:
  explicit LowSpeedWatch(const RefreshLimits& limits)
      : windowMs_(limits.lowSpeedTimeMs), bytesPerSecond_(limits.lowSpeedBytesPerSecond) {}

  bool TooSlowAfter(DWORD bytes) {
    windowBytes_ += bytes;
    ULONGLONG elapsed = GetTickCount64() - windowStart_;
    if (elapsed < windowMs_) return false;
    if (windowBytes_ * 1000 < bytesPerSecond_ * elapsed) return true;
    windowStart_ = GetTickCount64();
    windowBytes_ = 0;
    return false;
  }

 private:
  ULONGLONG windowMs_;
  ULONGLONG bytesPerSecond_;
  ULONGLONG windowStart_ = GetTickCount64();
  ULONGLONG windowBytes_ = 0;
};

bool CopyBody(HINTERNET request, DownloadSink* sink, const RefreshLimits& limits) {
  char buffer[kReadChunk];
  LowSpeedWatch watch(limits);
  for (;;) {
    // Asking what is available first returns each piece as it arrives, so
    // the low-speed watch sees a trickle instead of one long blocking read.
    DWORD available = 0;
    if (!InternetQueryDataAvailable(request, &available, 0, 0)) return false;
    DWORD wanted = available == 0 ? 1 : (available < kReadChunk ? available : kReadChunk);
    DWORD got = 0;
    if (!InternetReadFile(request, buffer, wanted, &got)) return false;
    if (got == 0) return true;
    if (AppendToFile(buffer, 1, got, sink) != got) return false;
    if (watch.TooSlowAfter(got)) return false;
  }
}

}  // namespace

void PrepareHttpFetch() {}

bool FetchUrlToFile(const char* url, DownloadSink* sink, const RefreshLimits& limits) {
  HttpAddress address;
  if (!url || !sink || !CrackHttpUrl(url, &address)) return false;
  InternetHandle session(
      InternetOpenA(kDownloadUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (!session) return false;
  ApplyTimeouts(session.get(), limits);
  InternetHandle connection(InternetConnectA(session.get(), address.host, address.port, nullptr,
                                             nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return false;
  ApplyTimeouts(connection.get(), limits);
  DWORD flags = kPlainRequestFlags | (address.secure ? INTERNET_FLAG_SECURE : 0);
  InternetHandle request(HttpOpenRequestA(connection.get(), "GET", address.object, nullptr, nullptr,
                                          nullptr, flags, 0));
  if (!request) return false;
  ApplyTimeouts(request.get(), limits);
  if (!HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) return false;

  if (StatusCode(request.get()) != kHttpOk) return false;
  long long announced = AnnouncedLength(request.get());
  if (announced >= 0 && static_cast<ULONGLONG>(announced) > sink->maxBytes) return false;
  if (!CopyBody(request.get(), sink, limits)) return false;
  // A connection that closes early must not pass for the whole file.
  return announced < 0 || sink->written == static_cast<ULONGLONG>(announced);
}

#endif
