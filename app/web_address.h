#pragma once
// A plain web address, read with the platform's URL parser: printable ASCII
// without blanks, quotes or backslashes; http or https; a host that is a DNS
// name or an IPv4 address; an optional port; a path.
// What the parser tolerates beyond that (backslashes, user names and
// passwords, ports it reads only in part) is refused here.

#include <windows.h>

#include <wininet.h>

#include <string>

struct TWebAddress {
  bool secure = false;  // https
  std::wstring host;
  INTERNET_PORT port = 0;
  std::wstring object;  // path and query; "/" when the address has none
};

// False for anything that is not such an address; address is then unchanged.
bool ParseWebAddress(const std::wstring& text, TWebAddress& address);

// Where a redirect leads from base: location may be absolute or relative.
// False when the result is not a plain web address.
bool FollowLocation(const std::wstring& base, const std::wstring& location, std::wstring& next);
