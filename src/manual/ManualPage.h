#pragma once
// A program's manual, written once: its --help text and its manual page (roff, as man(7) reads it)
// are both made from it, so that neither can say what the other does not.

#include <string>
#include <vector>

namespace vitrinex {

struct ManualItem {
    std::string term; // as typed: "show FILE", "VITRINEX_UPDATE_HOST"
    std::string text;
};

struct ManualSection {
    std::string title; // "EXIT STATUS"
    std::vector<std::string> paragraphs;
    std::vector<ManualItem> items;
    std::vector<std::string> examples; // command lines, shown as typed
};

struct Manual {
    std::string name;    // "vitrinex-cli"
    std::string summary; // the one line of the NAME section
    // The usage lines after the program's name, as --help prints them.
    std::vector<std::string> synopsis;
    std::vector<std::string> description;
    std::vector<ManualSection> sections;
    std::vector<std::string> seeAlso; // other pages of section 1
};

// "PREFIX" then each synopsis line as "  NAME LINE", one a line.
std::string usageText(const Manual& manual, const std::string& prefix);

// The items as two columns, the texts filled to 79 columns beside the widest term that fits.
std::string itemsText(const std::vector<ManualItem>& items);

// The manual page in roff for man(1).
std::string manualPage(const Manual& manual, const std::string& version);

} // namespace vitrinex
