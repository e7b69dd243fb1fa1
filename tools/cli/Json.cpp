#include "Json.h"

#include "collection/Win1252.h"

#include <cstdio>

namespace vitrinex::json {
namespace {

bool plain(unsigned char c) {
    return c >= 0x20 && c != '"' && c != '\\';
}

void appendEscape(std::string& out, unsigned char c) {
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
    default: {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
        out += buffer;
    }
    }
}

} // namespace

void appendQuoted(std::string& out, std::string_view s) {
    out += '"';
    std::size_t run = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (plain(c)) continue;
        out.append(s.data() + run, i - run);
        appendEscape(out, c);
        run = i + 1;
    }
    out.append(s.data() + run, s.size() - run);
    out += '"';
}

void appendQuotedWin1252(std::string& out, std::string_view bytes) {
    out += '"';
    appendEscapedWin1252(out, bytes);
    out += '"';
}

void appendEscapedWin1252(std::string& out, std::string_view bytes) {
    std::size_t run = 0;
    // Bytes below 0x80 are the same characters in UTF-8; the rest take their UTF-8 form.
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (plain(c) && c < 0x80) continue;
        out.append(bytes.data() + run, i - run);
        if (c < 0x80)
            appendEscape(out, c);
        else
            appendWin1252AsUtf8(out, bytes.substr(i, 1));
        run = i + 1;
    }
    out.append(bytes.data() + run, bytes.size() - run);
}

std::string quote(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 2);
    appendQuoted(out, s);
    return out;
}

std::string& Object::member(std::string_view key) {
    appendQuoted(text_, key);
    text_ += ": ";
    return text_;
}

Object& Object::ended() {
    ends_.push_back(text_.size());
    return *this;
}

Object& Object::add(std::string_view key, std::string_view rawJson) {
    member(key).append(rawJson);
    return ended();
}
Object& Object::addWritten(std::string_view key, const std::function<void(std::string&)>& write) {
    write(member(key));
    return ended();
}
Object& Object::addString(std::string_view key, std::string_view utf8) {
    appendQuoted(member(key), utf8);
    return ended();
}
Object& Object::addWin1252(std::string_view key, std::string_view bytes) {
    appendQuotedWin1252(member(key), bytes);
    return ended();
}
Object& Object::addNumber(std::string_view key, long long value) {
    return add(key, std::to_string(value));
}

namespace {
template <typename Quote>
void appendStrings(std::string& out, const std::vector<std::string>& texts, Quote quote) {
    out += '[';
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i) out += ", ";
        quote(out, texts[i]);
    }
    out += ']';
}
} // namespace

Object& Object::addStrings(std::string_view key, const std::vector<std::string>& utf8) {
    appendStrings(member(key), utf8, appendQuoted);
    return ended();
}
Object& Object::addWin1252Strings(std::string_view key, const std::vector<std::string>& bytes) {
    appendStrings(member(key), bytes, appendQuotedWin1252);
    return ended();
}

std::string Object::str(int indent) const {
    if (ends_.empty()) return "{}";
    const std::string pad(static_cast<std::size_t>(indent + 2), ' ');
    std::string out;
    out.reserve(text_.size() + ends_.size() * (pad.size() + 2) + static_cast<std::size_t>(indent) + 4);
    out += "{\n";
    std::size_t start = 0;
    for (std::size_t i = 0; i < ends_.size(); ++i) {
        out += pad;
        out.append(text_, start, ends_[i] - start);
        out += i + 1 < ends_.size() ? ",\n" : "\n";
        start = ends_[i];
    }
    out.append(static_cast<std::size_t>(indent), ' ');
    out += '}';
    return out;
}

void Object::appendCompact(std::string& out) const {
    out += '{';
    std::size_t start = 0;
    for (std::size_t i = 0; i < ends_.size(); ++i) {
        if (i) out += ", ";
        out.append(text_, start, ends_[i] - start);
        start = ends_[i];
    }
    out += '}';
}

std::string Object::compact() const {
    std::string out;
    appendCompact(out);
    return out;
}

std::string& Array::next() {
    if (indent_ == 0) {
        if (!empty_) text_ += ", ";
    } else {
        text_ += empty_ ? "\n" : ",\n";
        text_.append(static_cast<std::size_t>(indent_ + 2), ' ');
    }
    empty_ = false;
    return text_;
}

std::string Array::str() const {
    if (empty_) return "[]";
    std::string out;
    out.reserve(text_.size() + static_cast<std::size_t>(indent_) + 2);
    out += text_;
    if (indent_ != 0) {
        out += '\n';
        out.append(static_cast<std::size_t>(indent_), ' ');
    }
    out += ']';
    return out;
}

std::string array(const std::vector<std::string>& elements, int indent) {
    Array out(indent);
    for (const auto& e : elements)
        out.next() += e;
    return out.str();
}

} // namespace vitrinex::json
