#pragma once
// A small JSON writer that keeps keys in the order they are written.

#include <string>
#include <string_view>
#include <vector>

namespace vitrinex::json {

std::string quote(std::string_view utf8);

class Object {
public:
    Object& add(std::string_view key, std::string_view rawJson);
    Object& addString(std::string_view key, std::string_view utf8);
    Object& addNumber(std::string_view key, long long value);
    Object& addStrings(std::string_view key, const std::vector<std::string>& utf8);
    // Pretty, one member a line, nested `indent` blanks deep.
    std::string str(int indent = 0) const;
    // On one line.
    std::string compact() const;

private:
    std::vector<std::pair<std::string, std::string>> members_;
};

// On one line when `indent` is 0, else one element a line.
std::string array(const std::vector<std::string>& rawJsonElements, int indent = 0);

} // namespace vitrinex::json
