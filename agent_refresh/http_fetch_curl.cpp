// libcurl transfer, where the toolchain provides the library.
#if defined(PATCHWELL_HAVE_CURL) && PATCHWELL_HAVE_CURL

#include "agent_refresh/http_fetch.h"

#include <curl/curl.h>

namespace {

constexpr long kHttpOk = 200;

class CurlEasy {
 public:
  CurlEasy() : handle_(curl_easy_init()) {}
  ~CurlEasy() {
    if (handle_) curl_easy_cleanup(handle_);
  }
  CurlEasy(const CurlEasy&) = delete;
  CurlEasy& operator=(const CurlEasy&) = delete;

  CURL* get() const { return handle_; }

 private:
  CURL* handle_;
};

long SecondsRoundedUp(DWORD milliseconds) {
  long seconds = static_cast<long>((milliseconds + 999) / 1000);
  return seconds > 0 ? seconds : 1;
}

bool Configure(CURL* curl, const char* url, DownloadSink* sink, const RefreshLimits& limits) {
  const curl_off_t maxBytes = static_cast<curl_off_t>(sink->maxBytes);
  return curl_easy_setopt(curl, CURLOPT_URL, url) == CURLE_OK &&
#if LIBCURL_VERSION_NUM >= 0x075500
         curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
#else
         curl_easy_setopt(curl, CURLOPT_PROTOCOLS, CURLPROTO_HTTP | CURLPROTO_HTTPS) == CURLE_OK &&
#endif
         curl_easy_setopt(curl, CURLOPT_USERAGENT, kDownloadUserAgent) == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendToFile) == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_WRITEDATA, sink) == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
         // The address may come from an unsigned catalogue: no credentials
         // from a netrc file or the address, and no logon of any kind. The
         // cookie engine stays off (no cookie file or jar is ever set).
         curl_easy_setopt(curl, CURLOPT_NETRC, static_cast<long>(CURL_NETRC_IGNORED)) == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_NONE)) == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                          static_cast<long>(limits.connectTimeoutMs)) == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT,
                          static_cast<long>(limits.lowSpeedBytesPerSecond)) == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, SecondsRoundedUp(limits.lowSpeedTimeMs)) ==
             CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, maxBytes) == CURLE_OK;
}

}  // namespace

void PrepareHttpFetch() {
  curl_global_init(CURL_GLOBAL_WIN32);
}

bool FetchUrlToFile(const char* url, DownloadSink* sink, const RefreshLimits& limits) {
  if (!url || !sink) return false;
  CurlEasy curl;
  if (!curl.get() || !Configure(curl.get(), url, sink, limits)) return false;
  if (curl_easy_perform(curl.get()) != CURLE_OK) return false;
  long status = 0;
  if (curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) return false;
  return status == kHttpOk;
}

#endif
