#include "net/UpdateHost.h"

#include <cstdlib>

#ifndef VITRINEX_UPDATE_HOST_DEFAULT
#define VITRINEX_UPDATE_HOST_DEFAULT "www.quillory.com"
#endif

namespace vitrinex::net {

namespace {

// The text after "http:/" + "/" (two characters after the ":" of ":/"), or the whole URL.
std::string afterScheme(const std::string& url) {
    const auto colon = url.find(":/");
    if (colon == std::string::npos) return url;
    return colon + 3 <= url.size() ? url.substr(colon + 3) : std::string();
}

} // namespace

std::string updateHost() {
    const char* fromEnvironment = std::getenv("VITRINEX_UPDATE_HOST");
    if (fromEnvironment && *fromEnvironment) return fromEnvironment;
    return VITRINEX_UPDATE_HOST_DEFAULT;
}

namespace {

// A number of milliseconds from the environment, or `fallback` when it is unset or no such number.
int millisecondsFromEnvironment(const char* name, int fallback) {
    const char* fromEnvironment = std::getenv(name);
    if (fromEnvironment && *fromEnvironment) {
        char* end = nullptr;
        const long value = std::strtol(fromEnvironment, &end, 10);
        if (*end == '\0' && value > 0 && value <= 3600000) return static_cast<int>(value);
    }
    return fallback;
}

} // namespace

int updateTimeoutMs() {
    return millisecondsFromEnvironment("VITRINEX_UPDATE_TIMEOUT_MS", 15000);
}

int updateDeadlineMs() {
    return millisecondsFromEnvironment("VITRINEX_UPDATE_DEADLINE_MS", 180000);
}

std::string updateUrl(const std::string& updateType, const std::string& host) {
    if (updateType == "SW") return "http://" + host + "/update.auf";
    if (updateType == "HW") return "http://" + host + "/hwupdate.auf";
    return {};
}

namespace {

// The port a URL names after its host's ":"; 0 for no number or one above 65535.
int portNumber(const std::string& digits) {
    long value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9' || value > 65535) return 0;
        value = value * 10 + (c - '0');
    }
    return value <= 65535 ? static_cast<int>(value) : 0;
}

} // namespace

std::string hostFromUrl(const std::string& url, int& port) {
    std::string host = afterScheme(url);
    host = host.substr(0, host.find('/'));
    // An IPv6 address goes in brackets, its port after them ("[::1]:8080").
    const auto close = host.starts_with('[') ? host.find(']') : std::string::npos;
    const auto colon = host.find(':', close == std::string::npos ? 0 : close);
    port = colon == std::string::npos ? 0 : portNumber(host.substr(colon + 1));
    if (colon != std::string::npos) host.erase(colon);
    if (close != std::string::npos) host = host.substr(1, close - 1);
    return host;
}

std::string pathFromUrl(const std::string& url) {
    const std::string rest = afterScheme(url);
    const auto slash = rest.find('/');
    if (slash == std::string::npos || slash + 1 == rest.size()) return rest;
    return rest.substr(slash);
}

} // namespace vitrinex::net
