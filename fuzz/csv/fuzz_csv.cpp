// Reads any bytes as a CSV import. Every input gives items or a refusal with reasons, never anything
// else; every item it gives passes the add rules (a name that is not a deleted record's mark, a
// quantity of at least 1).
#include "reports/CsvFormat.h"

#include <cstdlib>
#include <string_view>

using namespace vitrinex;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    try {
        for (const CsvItem& item : csvItems(std::string_view(reinterpret_cast<const char*>(data), size)))
            if (item.row < 2 || item.values.FigureName.empty() || item.values.FigureName == " " ||
                item.values.Quantity < 1)
                std::abort();
    } catch (const ECsvRefused& e) {
        if (e.reasons().empty()) std::abort();
    }
    return 0;
}
