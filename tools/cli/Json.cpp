#include "Json.h"

#include <cstdio>

namespace vitrinex::json {

std::string quote(std::string_view s) {
    std::string out = "\"";
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

Object& Object::add(std::string_view key, std::string_view rawJson) {
    members_.emplace_back(std::string(key), std::string(rawJson));
    return *this;
}
Object& Object::addString(std::string_view key, std::string_view utf8) {
    return add(key, quote(utf8));
}
Object& Object::addNumber(std::string_view key, long long value) {
    return add(key, std::to_string(value));
}
Object& Object::addStrings(std::string_view key, const std::vector<std::string>& utf8) {
    std::vector<std::string> quoted;
    quoted.reserve(utf8.size());
    for (const auto& s : utf8)
        quoted.push_back(quote(s));
    return add(key, array(quoted));
}

std::string Object::str(int indent) const {
    if (members_.empty()) return "{}";
    const std::string pad(static_cast<std::size_t>(indent + 2), ' ');
    std::string out = "{\n";
    for (std::size_t i = 0; i < members_.size(); ++i) {
        out += pad + quote(members_[i].first) + ": " + members_[i].second;
        out += i + 1 < members_.size() ? ",\n" : "\n";
    }
    return out + std::string(static_cast<std::size_t>(indent), ' ') + "}";
}

std::string Object::compact() const {
    std::string out = "{";
    for (std::size_t i = 0; i < members_.size(); ++i)
        out += (i ? ", " : "") + quote(members_[i].first) + ": " + members_[i].second;
    return out + "}";
}

std::string array(const std::vector<std::string>& elements, int indent) {
    if (elements.empty()) return "[]";
    if (indent == 0) {
        std::string out = "[";
        for (std::size_t i = 0; i < elements.size(); ++i)
            out += (i ? ", " : "") + elements[i];
        return out + "]";
    }
    const std::string pad(static_cast<std::size_t>(indent + 2), ' ');
    std::string out = "[\n";
    for (std::size_t i = 0; i < elements.size(); ++i)
        out += pad + elements[i] + (i + 1 < elements.size() ? ",\n" : "\n");
    return out + std::string(static_cast<std::size_t>(indent), ' ') + "]";
}

} // namespace vitrinex::json
