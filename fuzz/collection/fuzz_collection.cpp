// Loads any bytes as a collection file. Whatever loads must save, and load and save again to the
// same bytes; whatever does not load must fail with the program's own errors.
#include "collection/InOutError.h"
#include "collection/OpenCollection.h"
#include "collection/SafeFile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

using namespace vitrinex;

namespace {

std::string folder() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/fuzz-collection-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made) std::abort();
        return std::string(made);
    }();
    return dir;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Durability is not under test here; skipping the flush to disk makes runs many times faster.
    static FileSystemCalls calls;
    calls.fsync = [](int) { return 0; };
    setFileSystemCallsForTesting(&calls);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = folder() + "/input.fcd";
    const std::string first = folder() + "/first.fcd";
    const std::string second = folder() + "/second.fcd";
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    OpenCollection c;
    try {
        c.LoadCollection(input);
    } catch (const EInOutError&) {
        return 0;
    } catch (const EConvertError&) {
        return 0;
    }
    // Exercise what the windows read.
    (void)c.captionWithValue();
    (void)c.netChangeText();
    for (int i = 0; i < c.itemList().size(); ++i)
        (void)c.FindItem(c.itemList().at(i));

    // Saved under other names: the identity of the file read says nothing about those files.
    c.saveAs(first);
    OpenCollection again;
    again.LoadCollection(first);
    again.saveAs(second);
    if (readAll(first) != readAll(second)) std::abort();
    if (again.itemList().size() > c.itemList().size()) std::abort();
    return 0;
}
