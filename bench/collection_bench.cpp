// Opening and saving a large collection, beside a plain implementation of the same work: every
// record inserted by walking down from the root, the names listed unsorted, the tree saved by a
// recursive pre-order walk. Files hold their records in pre-order, as the program writes them.
//   collection_bench [ITEMS] [FOLDER] [--no-plain-chain]
#include "collection/CollectionFile.h"
#include "collection/OpenCollection.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <malloc.h>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace vitrinex;
using Clock = std::chrono::steady_clock;

namespace {

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

// Wall-clock seconds: what a user waits, including the flush to disk.
template <typename F> double seconds(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Processor seconds (user and system): steadier than the wall clock on a busy machine.
double processorSeconds() {
    struct rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
template <typename F> double cpuSeconds(F&& f) {
    const double start = processorSeconds();
    f();
    return processorSeconds() - start;
}

// The plain implementation.
struct PlainNode {
    TFigureRecord record;
    PlainNode* left = nullptr;
    PlainNode* right = nullptr;
};

struct PlainCollection {
    PlainNode* root = nullptr;
    std::vector<std::string> names;
    long double total = 0, netChange = 0;
    ~PlainCollection() { free(root); }
    static void free(PlainNode* node) {
        std::vector<PlainNode*> stack;
        if (node) stack.push_back(node);
        while (!stack.empty()) {
            PlainNode* n = stack.back();
            stack.pop_back();
            if (n->left) stack.push_back(n->left);
            if (n->right) stack.push_back(n->right);
            delete n;
        }
    }
    void insert(const TFigureRecord& record) {
        PlainNode** link = &root;
        while (*link) {
            const int order = compareNameKeys(record.FigureName.view(), (*link)->record.FigureName.view());
            if (order == 0) return;
            link = order < 0 ? &(*link)->left : &(*link)->right;
        }
        *link = new PlainNode{record};
        long double price = 0, change = 0;
        amountValue(record.Price.view(), price);
        amountValue(record.NetChange.view(), change);
        total += price * record.Quantity;
        netChange += change;
    }
    void load(const std::string& path) {
        TCollectionHeader header;
        readCollectionFile(path, header, [this](const TFigureRecord& r) {
            insert(r);
            names.push_back(r.FigureName.str());
        });
    }
    static void writeNode(const PlainNode* node, const ByteSink& sink) {
        if (!node) return;
        sink(&node->record, kRecordSize);
        writeNode(node->left, sink);
        writeNode(node->right, sink);
    }
    void save(const std::string& path) const {
        writeFileAtomically(path, [this](const ByteSink& sink) {
            const TCollectionHeader header = blankCollectionHeader();
            sink(&header, kRecordSize);
            writeNode(root, sink);
        });
    }
};

// A collection file of `names` inserted in that order, its records in pre-order.
void writeBenchFile(const std::string& path, const std::vector<std::string>& names) {
    std::mt19937 random(7);
    std::vector<TFigureRecord> records;
    records.reserve(names.size());
    for (const auto& n : names) {
        TFigureRecord r = blankFigureRecord();
        r.FigureName.assign(n);
        r.Year.assign("1985");
        r.Series.assign("Series");
        char price[16], change[16];
        std::snprintf(price, sizeof price, "$%7.2f", 1 + static_cast<double>(random() % 99999) / 100.0);
        std::snprintf(change, sizeof change, "$%4d", static_cast<int>(random() % 41) - 20);
        r.Price.assign(price);
        r.NetChange.assign(change);
        r.Quantity = 1;
        r.Condition.assign("C-9");
        r.CatNum.assign("123456");
        r.Comments.assign("a comment of a typical length for a figure");
        records.push_back(r);
    }
    // Sorted input is a chain whose pre-order is the input itself; otherwise build the tree.
    std::vector<const TFigureRecord*> preOrder;
    const bool sorted = std::is_sorted(names.begin(), names.end());
    PlainCollection plain;
    if (sorted) {
        for (const auto& r : records)
            preOrder.push_back(&r);
    } else {
        for (const auto& r : records)
            plain.insert(r);
        std::vector<const PlainNode*> stack{plain.root};
        while (!stack.empty()) {
            const PlainNode* n = stack.back();
            stack.pop_back();
            preOrder.push_back(&n->record);
            if (n->right) stack.push_back(n->right);
            if (n->left) stack.push_back(n->left);
        }
    }
    writeFileAtomically(path, [&](const ByteSink& sink) {
        const TCollectionHeader header = blankCollectionHeader();
        sink(&header, kRecordSize);
        for (const TFigureRecord* r : preOrder)
            sink(r, kRecordSize);
    });
}

// Writing the same bytes with write() and fsync() alone.
double rawWrite(const std::string& from, const std::string& to) {
    std::vector<char> bytes;
    {
        const int fd = ::open(from.c_str(), O_RDONLY);
        char buffer[1 << 16];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            bytes.insert(bytes.end(), buffer, buffer + n);
        ::close(fd);
    }
    return seconds([&] {
        const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        for (std::size_t done = 0; done < bytes.size();)
            done += static_cast<std::size_t>(::write(fd, bytes.data() + done, bytes.size() - done));
        ::fsync(fd);
        ::close(fd);
    });
}

struct Figures {
    double load = 0, save = 0, raw = 0, plainLoad = -1, plainSave = -1;
    double bytesPerItem = 0;
};

Figures measure(const std::string& file, const std::vector<std::string>& names, bool withPlain) {
    writeBenchFile(file, names);
    Figures f;
    {
        OpenCollection c;
        const std::size_t before = heapInUse();
        f.load = cpuSeconds([&] { c.LoadCollection(file); });
        f.bytesPerItem = static_cast<double>(heapInUse() - before) / static_cast<double>(names.size());
        f.save = seconds([&] { c.SaveCollection(); });
        f.raw = rawWrite(file, file + ".raw");
    }
    if (withPlain) {
        PlainCollection plain;
        f.plainLoad = cpuSeconds([&] { plain.load(file); });
        f.plainSave = seconds([&] { plain.save(file + ".plain"); });
    }
    std::remove(file.c_str());
    std::remove((file + ".raw").c_str());
    std::remove((file + ".plain").c_str());
    return f;
}

void print(const char* order, const Figures& f) {
    std::printf("%-9s %8.3f %8.3f %8.3f %8.3f %8.3f %8.0f", order, f.load, f.plainLoad, f.save, f.plainSave,
                f.raw, f.bytesPerItem);
    if (f.plainLoad > 0) std::printf("   load %.2fx of plain", f.load / f.plainLoad);
    std::printf("   save %.2fx of raw\n", f.save / f.raw);
}

} // namespace

int main(int argc, char** argv) {
    const int items = argc > 1 ? std::atoi(argv[1]) : 100000;
    const std::string folder = argc > 2 ? argv[2] : ".";
    const bool plainChain = !(argc > 3 && std::strcmp(argv[3], "--no-plain-chain") == 0);
    std::vector<std::string> ascending;
    char name[32];
    for (int i = 0; i < items; ++i) {
        std::snprintf(name, sizeof name, "figure %07d", i);
        ascending.emplace_back(name);
    }
    std::vector<std::string> shuffled = ascending;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(42));

    const Figures random = measure(folder + "/bench-random.fcd", shuffled, true);
    // The plain walk on a chain takes time quadratic in the items (minutes at 100,000).
    const Figures chain = measure(folder + "/bench-chain.fcd", ascending, plainChain);
    std::printf("%d items (%d bytes a record); open: processor seconds; save, write: wall-clock seconds; heap bytes per item after opening\n", items, 1324);
    std::printf("%-9s %8s %8s %8s %8s %8s %8s\n", "order", "open", "plain", "save", "plain", "write", "heap/it");
    print("shuffled", random);
    print("chain", chain);
    std::printf("chain / shuffled open: %.2f\n", chain.load / random.load);
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident: %.0f MiB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}
