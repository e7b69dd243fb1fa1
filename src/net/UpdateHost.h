#pragma once
// Where catalog updates come from: the update server's host ("host", "host:port" or
// "[IPv6 address]:port"), the update file's URL for a collection's update type, and the host, port
// and path taken from such a URL.

#include <string>

namespace vitrinex::net {

// VITRINEX_UPDATE_HOST when set and not empty, else the host this build was configured with.
std::string updateHost();

// How long a download waits for the network before it gives up: VITRINEX_UPDATE_TIMEOUT_MS when it
// holds a positive number of milliseconds, else 15 seconds.
int updateTimeoutMs();

// How long a whole download may take, however steadily the server sends: VITRINEX_UPDATE_DEADLINE_MS
// when it holds a positive number of milliseconds, else three minutes.
int updateDeadlineMs();

// "http://" + host + "/update.auf" for "SW", "/hwupdate.auf" for "HW"; empty for any other type.
std::string updateUrl(const std::string& updateType, const std::string& host);

// The host of a URL, without "http://", path and port; `port` becomes the number after a ":" in the
// host part, or 0 when there is none (0 stands for port 80). An IPv6 address comes out of its
// brackets ("[::1]:8080" gives "::1").
std::string hostFromUrl(const std::string& url, int& port);

// The path of a URL from its first "/" after the host ("/update.auf").
std::string pathFromUrl(const std::string& url);

} // namespace vitrinex::net
