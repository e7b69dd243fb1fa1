// Feeds a saved answer of the update server through the receive path in blocks of 8192 bytes, as
// the update window receives them, writes the records to UPDATEDAT and prints what was found.

#include "ScanCommand.h"

#include "CommandLine.h"
#include "Json.h"
#include "collection/InOutError.h"
#include "collection/Win1252.h"
#include "net/UpdateStreamScanner.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vitrinex::cli {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

std::vector<std::string> readRecords(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EInOutError::fromCode(kFileNotFound);
    std::vector<std::string> rows;
    TUpdateRecord r;
    while (in.read(reinterpret_cast<char*>(&r), sizeof r))
        rows.push_back(json::array({json::quote(win1252ToUtf8(r.UpdateCatNum.view())),
                                    json::quote(win1252ToUtf8(r.UpdatePrice.view()))}));
    return rows;
}

} // namespace

int commandScan(const CommandLine& a) {
    const std::string& stream = a.arg(0);
    const std::string out = a.value("out", "");
    if (out.empty()) throw UsageError("scan needs --out UPDATEDAT");
    std::unique_ptr<std::FILE, FileCloser> in(std::fopen(stream.c_str(), "rb"));
    if (!in) throw std::runtime_error(stream + ": " + EInOutError::fromErrno(errno).what());
    // The stream's errors name it here; the others are UPDATEDAT's.
    reportedFile() = out;

    net::UpdateRecordWriter writer;
    writer.create(out);
    net::UpdateStreamScanner scanner;
    scanner.writeRecord = [&writer](const TUpdateRecord& r) { writer.append(r); };
    scanner.Reset();
    std::vector<char> block(net::UpdateStreamScanner::kBlockSize + 1);
    // The window stops reading at the end marker or at a page that holds no update file; an answer
    // that goes on past what update.dat may hold (a device, an endless file) is no catalog.
    std::size_t scanned = 0;
    while (!scanner.EndMarkerSeen()) {
        const std::size_t n = std::fread(block.data(), 1, net::UpdateStreamScanner::kBlockSize, in.get());
        if (n == 0) break;
        scanned += n;
        if (scanned > net::kMaxUpdateFileBytes)
            throw std::runtime_error(stream + ": the answer goes on past " +
                                     std::to_string(net::kMaxUpdateFileBytes >> 20) +
                                     " MiB, far more than any catalog: the scan was stopped");
        if (scanner.ProcessHostGet(block.data(), n) != net::UpdateStreamScanner::Answer::Reading) break;
    }
    if (std::ferror(in.get()))
        throw std::runtime_error(stream + ": " + EInOutError::fromCode(kReadBeyondEnd).what());
    writer.close();

    json::Object result;
    result.add("records", json::array(readRecords(out)))
        .addString("message", win1252ToUtf8(scanner.UpdateMessage))
        .add("end", scanner.EndMarkerSeen() ? "true" : "false");
    std::cout << result.compact() << '\n';
    return 0;
}

} // namespace vitrinex::cli
