// Applies any bytes as update.dat to a small collection. The rewritten file must load and hold every
// item of the collection exactly once, whatever the records, prices or torn tail.
#include "collection/CollectionFile.h"
#include "collection/OpenCollection.h"
#include "collection/PriceApplication.h"

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>

using namespace vitrinex;

namespace {

std::string folder() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/fuzz-price-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made) std::abort();
        return std::string(made);
    }();
    return dir;
}

const std::set<std::string> kNames = {"Luke", "Han", "Yoda", "Boba", "Leia", "Obi", "Lando"};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static FileSystemCalls calls;
    calls.fsync = [](int) { return 0; };
    setFileSystemCallsForTesting(&calls);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string collectionFile = folder() + "/c.fcd";
    const std::string updateFile = folder() + "/update.dat";
    {
        std::ofstream out(updateFile, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    OpenCollection c;
    c.CreateCollection(collectionFile, "Heroes", "Kenner", "1985-1990");
    const char* catNums[] = {"A", "a", "AB12", "", "1.5", "ab12", "Z"};
    int i = 0;
    for (const std::string& name : kNames) {
        NewItemValues v;
        v.FigureName = name;
        v.Price = "$" + std::to_string(3 * i + 1) + ".99";
        v.NetChange = "$0";
        v.Quantity = i + 1;
        v.CatNum = catNums[i++];
        c.InsertNewItem(v);
    }
    c.SaveCollection();
    c.LoadCollection(collectionFile);
    // Twice, so the marks of the first run are there for the second.
    for (int run = 0; run < 2; ++run) {
        const UpdateOutcome outcome = ApplyUpdate(c, c.openingId(), updateFile, "");
        if (outcome.message) std::abort();
        (void)c.captionWithValue();
        std::multiset<std::string> names;
        TCollectionHeader header;
        readCollectionFile(collectionFile, header,
                           [&](const TFigureRecord& r) { names.insert(r.FigureName.str()); });
        if (names != std::multiset<std::string>(kNames.begin(), kNames.end())) std::abort();
        OpenCollection again;
        again.LoadCollection(collectionFile); // throws on a price that no longer reads
    }
    return 0;
}
