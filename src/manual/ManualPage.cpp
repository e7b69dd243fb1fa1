#include "manual/ManualPage.h"

#include <algorithm>
#include <sstream>

namespace vitrinex {
namespace {

constexpr std::size_t kWidth = 79;
constexpr std::size_t kWidestTermColumn = 24;

// Plain text in roff: backslashes and hyphens escaped, a line that would start with a control
// character made literal.
std::string roffText(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

} // namespace

std::string usageText(const Manual& manual, const std::string& prefix) {
    std::string out = prefix;
    for (const std::string& line : manual.synopsis)
        out += "  " + manual.name + " " + line + "\n";
    return out;
}

std::string itemsText(const std::vector<ManualItem>& items) {
    std::size_t column = 0;
    for (const ManualItem& item : items)
        if (item.term.size() + 4 <= kWidestTermColumn) column = std::max(column, item.term.size() + 4);
    std::string out;
    for (const ManualItem& item : items) {
        std::string line = "  " + item.term;
        // A term too wide for the column has its text start on the next line.
        if (line.size() + 2 > column) {
            out += line + "\n";
            line.clear();
        }
        line.resize(column, ' ');
        bool first = true;
        for (const std::string& w : words(item.text)) {
            if (!first && line.size() + 1 + w.size() > kWidth) {
                out += line + "\n";
                line = std::string(column, ' ');
                first = true;
            }
            line += (first ? "" : " ") + w;
            first = false;
        }
        out += line + "\n";
    }
    return out;
}

std::string manualPage(const Manual& manual, const std::string& version) {
    std::string title = manual.name;
    std::transform(title.begin(), title.end(), title.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    std::string out = ".TH " + roffText(title) + " 1 \"\" \"" + roffText(version) + "\" \"User Commands\"\n";
    out += ".SH NAME\n" + roffText(manual.name) + " \\- " + roffText(manual.summary) + "\n";
    out += ".SH SYNOPSIS\n.nf\n";
    for (const std::string& line : manual.synopsis)
        out += roffText(manual.name + " " + line) + "\n";
    out += ".fi\n.SH DESCRIPTION\n";
    for (std::size_t i = 0; i < manual.description.size(); ++i)
        out += (i ? ".PP\n" : "") + roffText(manual.description[i]) + "\n";
    for (const ManualSection& section : manual.sections) {
        out += ".SH " + roffText(section.title) + "\n";
        for (std::size_t i = 0; i < section.paragraphs.size(); ++i)
            out += (i ? ".PP\n" : "") + roffText(section.paragraphs[i]) + "\n";
        for (const ManualItem& item : section.items)
            out += ".TP\n.B " + roffText(item.term) + "\n" + roffText(item.text) + "\n";
        if (!section.examples.empty()) {
            out += ".PP\n.RS\n.nf\n";
            for (const std::string& line : section.examples)
                out += roffText(line) + "\n";
            out += ".fi\n.RE\n";
        }
    }
    if (!manual.seeAlso.empty()) {
        out += ".SH SEE ALSO\n";
        for (std::size_t i = 0; i < manual.seeAlso.size(); ++i)
            out += ".BR " + roffText(manual.seeAlso[i]) + " (1" +
                   (i + 1 < manual.seeAlso.size() ? ")," : ")") + "\n";
    }
    return out;
}

} // namespace vitrinex
