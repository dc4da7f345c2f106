#pragma once
// The one transfer function of the refresh: libcurl where the toolchain has
// it, WinINet otherwise. Both refuse non-HTTP addresses and redirects, keep to
// the connect and low-speed limits and the sink's size cap, and succeed only
// for a complete HTTP 200 answer written in full.

#include "agent_refresh/download_to_temp_file.h"
#include "agent_refresh/refresh_limits.h"

constexpr char kDownloadUserAgent[] = "CorvexaDownloader";

// Once per refresh, before the first transfer.
void PrepareHttpFetch();

bool FetchUrlToFile(const char* url, DownloadSink* sink, const RefreshLimits& limits);
