#pragma once
// Owner of a WinINet handle, and the request flags of every HTTP request
// the program makes.

#include <windows.h>

#include <wininet.h>

// No cache in either direction, and a redirect is an answer of its own that
// the caller may follow after checking where it leads. The peer is not
// trusted: none of the user's cookies or logon credentials go with the
// request, and no prompt may appear. Certificate errors are never ignored.
constexpr DWORD kPlainRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                     INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_UI |
                                     INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH;

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() {
    if (handle_) InternetCloseHandle(handle_);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;

  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HINTERNET handle_;
};
