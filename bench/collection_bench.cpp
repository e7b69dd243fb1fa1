// Opening and saving a large collection, beside a plain implementation of the same work: every
// record inserted by walking down from the root, the names listed unsorted, the tree saved by a
// recursive pre-order walk. Files hold their records in pre-order, as the program writes them.
// Every measure runs in a fresh process of its own, so neither side inherits the other's memory.
// Then whole `vitrinex-cli stats` processes, on those files, on one whose records are in random
// order and on a never-updated collection's two files (every net change $0, about 100 items at each
// price: the hot and cold lists hold every item), in pre-order and in random order, beside a plain process
// that walks the same file into a tree and prints its names.
//   collection_bench [ITEMS] [FOLDER] [--no-plain-chain] [--runs N] [--stats-only]
#include "ProcessTimes.h"
#include "collection/CollectionFile.h"
#include "collection/OpenCollection.h"
#include "collection/Win1252.h"

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
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace vitrinex;
using Clock = std::chrono::steady_clock;

namespace {

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
double userSeconds() {
    struct rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec) + static_cast<double>(u.ru_utime.tv_usec) / 1e6;
}
// Processor seconds of `f`, and the user part of them in `user`. The system part is mostly the
// kernel copying the file and clearing fresh memory, which on a virtual machine varies widely with
// what the host has to do for memory the guest touches first.
template <typename F> double cpuSeconds(F&& f, double& user) {
    const double start = processorSeconds();
    const double userStart = userSeconds();
    f();
    user = userSeconds() - userStart;
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

// A collection file of `names` inserted in that order, its records in pre-order (or, with
// `asGiven`, in the order of `names`, as another program might write them). Its prices are mixed, or
// those of a collection never updated: every net change $0, about 100 items at each price.
void writeBenchFile(const std::string& path, const std::vector<std::string>& names, bool asGiven = false,
                    bool neverUpdated = false) {
    const std::size_t prices = std::max<std::size_t>(1, names.size() / 100);
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
        if (neverUpdated) {
            std::snprintf(price, sizeof price, "$%.2f", 1 + static_cast<double>(random() % prices) / 4);
            std::snprintf(change, sizeof change, "$0");
        }
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
    if (sorted || asGiven) {
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

// The memory the process holds (resident pages): a large collection's nodes are mapped outside the
// heap, so the growth of this is what an open costs, on either side.
std::size_t residentBytes() {
    unsigned long sizePages = 0, residentPages = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm || std::fscanf(statm, "%lu %lu", &sizePages, &residentPages) != 2) std::abort();
    std::fclose(statm);
    return residentPages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

double peakResidentMiB() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// One measure in this process: opening twice, the second time after closing the first (processor
// seconds, their user time, wall seconds, resident bytes per item and peak resident MiB of the process
// once open), saving and writing the same bytes (wall seconds). On a virtual machine the first open
// may land on memory the host has never given the guest, which costs several times the program's own
// work and differs from run to run; the open again lands on memory the first one gave back, as any
// open does on a machine that has been up a while, so it measures the program rather than the host.
int child(const std::string& side, const std::string& file, std::size_t items) {
    double first = 0, load = 0, user = 0, wall = 0, perItem = 0, save = 0, raw = 0, peak = 0;
    double firstUser = 0;
    if (side == "vitrinex") {
        OpenCollection c;
        first = cpuSeconds([&] { c.LoadCollection(file); }, firstUser);
        c.CloseCollection();
        ::malloc_trim(0);
        const std::size_t before = residentBytes();
        wall = seconds([&] { load = cpuSeconds([&] { c.LoadCollection(file); }, user); });
        perItem = static_cast<double>(residentBytes() - before) / static_cast<double>(items);
        peak = peakResidentMiB();
        save = seconds([&] { c.saveAs(file + ".saved"); });
        raw = rawWrite(file, file + ".raw");
    } else {
        {
            PlainCollection plain;
            first = cpuSeconds([&] { plain.load(file); }, firstUser);
        }
        ::malloc_trim(0); // the freed nodes go back to the system, as the program's do
        PlainCollection plain;
        const std::size_t before = residentBytes();
        wall = seconds([&] { load = cpuSeconds([&] { plain.load(file); }, user); });
        perItem = static_cast<double>(residentBytes() - before) / static_cast<double>(items);
        peak = peakResidentMiB();
        save = seconds([&] { plain.save(file + ".saved"); });
    }
    std::remove((file + ".saved").c_str());
    std::remove((file + ".raw").c_str());
    std::printf("%.4f %.4f %.4f %.4f %.1f %.4f %.4f %.1f\n", first, load, user, wall, perItem, save, raw,
                peak);
    return 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The plain side of a `stats` process: the file walked into a tree, then every name in key order
// converted, quoted and joined, each into a string of its own.
std::string plainQuote(std::string_view s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

int plainStats(const std::string& file) {
    PlainCollection plain;
    plain.load(file);
    std::vector<std::string> quoted;
    std::vector<const PlainNode*> stack;
    for (const PlainNode* node = plain.root; node || !stack.empty(); node = node->right) {
        for (; node; node = node->left)
            stack.push_back(node);
        node = stack.back();
        stack.pop_back();
        quoted.push_back(plainQuote(win1252ToUtf8(node->record.FigureName.view())));
    }
    std::string out =
        "{\n  \"value\": " + plainQuote("$" + std::to_string(static_cast<double>(plain.total))) +
        ",\n  \"list\": [";
    for (std::size_t i = 0; i < quoted.size(); ++i)
        out += (i ? ", " : "") + quoted[i];
    out += "]\n}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

// Processor seconds (user and system) of a whole process running `argv`, its output thrown away;
// the user part of them in `user`.
double processSeconds(const std::vector<std::string>& argv, double& user) {
    const bench::ProcessTimes times = bench::runProcess(argv);
    user = times.user;
    return times.processor;
}

// `vitrinex-cli stats` on each file beside the plain process, taking turns; prints the medians.
void statsProcesses(const std::string& self, const std::vector<std::pair<std::string, std::string>>& files,
                    int count, bool plainChain) {
    std::vector<std::vector<double>> ours(files.size()), plain(files.size()), oursUser(files.size()),
        plainUser(files.size());
    for (int r = -1; r < count; ++r) {
        for (std::size_t f = 0; f < files.size(); ++f) {
            double ou = 0, pu = 0;
            const double o = processSeconds({VITRINEX_CLI, "stats", files[f].second}, ou);
            const bool quadratic = files[f].first == "chain" && !plainChain;
            const double p =
                quadratic ? 0 : processSeconds({self, "--child", "plain-stats", files[f].second, "0"}, pu);
            if (r < 0) continue; // the first round warms the page cache and the host's memory
            ours[f].push_back(o);
            oursUser[f].push_back(ou);
            if (quadratic) continue;
            plain[f].push_back(p);
            plainUser[f].push_back(pu);
        }
    }
    std::printf("stats processes, processor seconds (user time), medians of %d:\n", count);
    for (std::size_t f = 0; f < files.size(); ++f) {
        const double o = median(ours[f]);
        std::printf("  %-9s vitrinex-cli %.3f (%.3f)", files[f].first.c_str(), o, median(oursUser[f]));
        if (!plain[f].empty())
            std::printf("  plain %.3f (%.3f)  ratio %.2f (%.2f)", median(plain[f]), median(plainUser[f]),
                        o / median(plain[f]), median(oursUser[f]) / median(plainUser[f]));
        std::printf("   every run:");
        for (const double v : ours[f])
            std::printf(" %.3f", v);
        std::printf("\n");
    }
    std::printf("  random order / chain: %.2f (%.2f)\n", median(ours[2]) / median(ours[1]),
                median(oursUser[2]) / median(oursUser[1]));
}

struct Figures {
    double first = 0, load = 0, user = 0, wall = 0, perItem = 0, save = 0, raw = 0, peak = 0;
};

Figures runChild(const std::string& self, const std::string& side, const std::string& file,
                 std::size_t items) {
    const std::string command = "'" + self + "' --child " + side + " '" + file + "' " + std::to_string(items);
    FILE* pipe = ::popen(command.c_str(), "r");
    Figures f;
    if (!pipe || std::fscanf(pipe, "%lf %lf %lf %lf %lf %lf %lf %lf", &f.first, &f.load, &f.user, &f.wall,
                             &f.perItem, &f.save, &f.raw, &f.peak) != 8) {
        std::fprintf(stderr, "measure failed: %s\n", command.c_str());
        std::exit(1);
    }
    ::pclose(pipe);
    return f;
}

Figures medianOf(const std::vector<Figures>& runs) {
    auto pick = [&runs](double Figures::*field) {
        std::vector<double> v;
        for (const auto& r : runs)
            v.push_back(r.*field);
        return median(v);
    };
    return {pick(&Figures::first),   pick(&Figures::load), pick(&Figures::user), pick(&Figures::wall),
            pick(&Figures::perItem), pick(&Figures::save), pick(&Figures::raw),  pick(&Figures::peak)};
}

void runs(const char* order, const std::vector<Figures>& ours, const std::vector<Figures>& plain) {
    std::printf("%s, every run (first open, open (user) / plain's):", order);
    for (std::size_t i = 0; i < ours.size(); ++i) {
        std::printf(" %.3f, %.3f (%.3f)", ours[i].first, ours[i].load, ours[i].user);
        if (i < plain.size())
            std::printf(" / %.3f, %.3f (%.3f)", plain[i].first, plain[i].load, plain[i].user);
        std::printf(";");
    }
    std::printf("\n");
}

void print(const char* order, const Figures& f, const Figures* p) {
    std::printf("%-9s %7.3f %7.3f %7.3f %7.3f %7.0f %7.0f", order, f.first, f.load, f.user, f.wall, f.perItem,
                f.peak);
    if (p) {
        std::printf(" %7.3f %7.3f %7.3f %7.3f %7.0f %7.0f", p->first, p->load, p->user, p->wall, p->perItem,
                    p->peak);
    } else {
        std::printf(" %7s %7s %7s %7s %7s %7s", "-", "-", "-", "-", "-", "-");
    }
    std::printf(" %7.3f %7.3f %7.3f", f.save, p ? p->save : 0.0, f.raw);
    if (p) std::printf("   open %.2fx of plain (first %.2fx)", f.load / p->load, f.first / p->first);
    std::printf("   save %.2fx of write\n", f.save / f.raw);
}

// Opening and saving, ours and the plain side's, on the two files written in pre-order.
void openMeasures(const std::string& self, const std::string& randomFile, const std::string& chainFile,
                  int items, int count, bool plainChain) {
    // The two sides take turns, so a change in the machine's load falls on both. A first pair of
    // runs is not counted: on a virtual machine, memory the guest has not used yet costs the first
    // process that touches it several times the usual price.
    runChild(self, "vitrinex", randomFile, items);
    runChild(self, "plain", randomFile, items);
    std::vector<Figures> randomOurs, randomPlain, chainOurs, chainPlain;
    for (int r = 0; r < count; ++r) {
        randomOurs.push_back(runChild(self, "vitrinex", randomFile, items));
        randomPlain.push_back(runChild(self, "plain", randomFile, items));
        chainOurs.push_back(runChild(self, "vitrinex", chainFile, items));
        // The plain walk on a chain takes time quadratic in the items (minutes at 100,000); without
        // it the shuffled one runs again, so that every open of ours follows a plain one.
        if (plainChain)
            chainPlain.push_back(runChild(self, "plain", chainFile, items));
        else
            randomPlain.push_back(runChild(self, "plain", randomFile, items));
    }

    std::printf("%d items, %d runs each, medians. first open and open again: processor seconds (the second's "
                "user time, "
                "and wall); resident bytes per item and peak resident MiB of the process once open; save, "
                "plain save, "
                "write + fsync: wall seconds\n",
                items, count);
    std::printf("%-9s %7s %7s %7s %7s %7s %7s %7s %7s %7s %7s %7s %7s %7s %7s %7s\n", "order", "first",
                "open", "user", "wall", "mem/it", "peak", "first", "plain", "user", "wall", "mem/it", "peak",
                "save", "plain", "write");
    const Figures random = medianOf(randomOurs), plainRandom = medianOf(randomPlain);
    const Figures chain = medianOf(chainOurs);
    print("shuffled", random, &plainRandom);
    if (plainChain) {
        const Figures plain = medianOf(chainPlain);
        print("chain", chain, &plain);
    } else {
        print("chain", chain, nullptr);
    }
    std::printf("chain / shuffled open: %.2f (first %.2f)\n", chain.load / random.load,
                chain.first / random.first);
    runs("shuffled", randomOurs, randomPlain);
    runs("chain", chainOurs, chainPlain);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0 && std::strcmp(argv[2], "plain-stats") == 0)
        return plainStats(argv[3]);
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0)
        return child(argv[2], argv[3], static_cast<std::size_t>(std::atoll(argv[4])));
    const int items = argc > 1 ? std::atoi(argv[1]) : 100000;
    const std::string folder = argc > 2 ? argv[2] : ".";
    bool plainChain = true;
    bool opens = true;
    int count = 3;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-plain-chain") == 0) plainChain = false;
        if (std::strcmp(argv[i], "--stats-only") == 0) opens = false;
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) count = std::max(1, std::atoi(argv[++i]));
    }
    char self[4096] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;

    std::vector<std::string> ascending;
    char name[32];
    for (int i = 0; i < items; ++i) {
        std::snprintf(name, sizeof name, "figure %07d", i);
        ascending.emplace_back(name);
    }
    std::vector<std::string> shuffled = ascending;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(42));
    const std::string randomFile = folder + "/bench-random.fcd";
    const std::string chainFile = folder + "/bench-chain.fcd";
    const std::string anyOrderFile = folder + "/bench-anyorder.fcd";
    const std::string zeroFile = folder + "/bench-zero.fcd",
                      zeroAnyOrderFile = folder + "/bench-zero-anyorder.fcd";
    writeBenchFile(randomFile, shuffled);
    writeBenchFile(chainFile, ascending);
    writeBenchFile(anyOrderFile, shuffled, true);
    writeBenchFile(zeroFile, shuffled, false, true);
    writeBenchFile(zeroAnyOrderFile, shuffled, true, true);
    shuffled = {};
    ascending = {};
    ::malloc_trim(0);

    if (opens) openMeasures(self, randomFile, chainFile, items, count, plainChain);
    statsProcesses(self,
                   {{"shuffled", randomFile},
                    {"chain", chainFile},
                    {"random", anyOrderFile},
                    {"zero", zeroFile},
                    {"zero-rand", zeroAnyOrderFile}},
                   count, plainChain);
    std::remove(randomFile.c_str());
    std::remove(chainFile.c_str());
    std::remove(anyOrderFile.c_str());
    std::remove(zeroFile.c_str());
    std::remove(zeroAnyOrderFile.c_str());
    return 0;
}
