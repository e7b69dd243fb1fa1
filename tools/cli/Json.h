#pragma once
// A small JSON writer that keeps keys in the order they are written. Texts are quoted straight into
// the buffer they end up in, so a list of many names costs no string of its own per name.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vitrinex::json {

// Appends `utf8` as a JSON string.
void appendQuoted(std::string& out, std::string_view utf8);
// Appends Windows-1252 `bytes` as a JSON string in UTF-8.
void appendQuotedWin1252(std::string& out, std::string_view bytes);
// The same without the quotes: a string's text may be appended in pieces.
void appendEscapedWin1252(std::string& out, std::string_view bytes);
std::string quote(std::string_view utf8);

class Object {
public:
    Object& add(std::string_view key, std::string_view rawJson);
    // A member whose value `write` appends to the object's buffer as JSON.
    Object& addWritten(std::string_view key, const std::function<void(std::string&)>& write);
    Object& addString(std::string_view key, std::string_view utf8);
    Object& addNumber(std::string_view key, long long value);
    Object& addStrings(std::string_view key, const std::vector<std::string>& utf8);
    // The same from texts in Windows-1252.
    Object& addWin1252(std::string_view key, std::string_view bytes);
    Object& addWin1252Strings(std::string_view key, const std::vector<std::string>& bytes);
    // Pretty, one member a line, nested `indent` blanks deep.
    std::string str(int indent = 0) const;
    // On one line.
    std::string compact() const;
    void appendCompact(std::string& out) const;

private:
    // Starts a member: its key is written, its value goes next, then ended() marks its end.
    std::string& member(std::string_view key);
    Object& ended();
    // Every member ("key": value) one after another; where each ends.
    std::string text_;
    std::vector<std::size_t> ends_;
};

// Elements appended one by one into one buffer: on one line when `indent` is 0, else one element a
// line, as array() writes them.
class Array {
public:
    explicit Array(int indent = 0) : indent_(indent) {}
    // The buffer to append the next element to.
    std::string& next();
    std::string str() const;

private:
    int indent_;
    std::string text_ = "[";
    bool empty_ = true;
};

std::string array(const std::vector<std::string>& rawJsonElements, int indent = 0);

} // namespace vitrinex::json
