// The undo of a large step against the step itself: an import of many CSV rows, and a catalog update
// that gives every item of a large collection a new price. Each runs through the session, as the
// window and the command line do, with the change log kept in XDG_DATA_HOME.
//   undo_bench [ROWS] [ITEMS] [FOLDER]
#include "RandomItems.h"
#include "collection/UpdateRecord.h"
#include "model/CollectionSession.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

using namespace vitrinex;
using Clock = std::chrono::steady_clock;

namespace {

template <typename F> double seconds(F&& run) {
    const auto start = Clock::now();
    run();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void report(const char* what, double step, double undo, double redo) {
    std::printf("%-32s step %7.2f s   undo %7.2f s (%.2fx)   redo %7.2f s (%.2fx)\n", what, step, undo,
                undo / step, redo, redo / step);
}

} // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int items = argc > 2 ? std::atoi(argv[2]) : 1000000;
    const std::string folder = argc > 3 ? argv[3] : ".";
    std::mt19937 random(7);
    {
        const std::string csv = folder + "/bench-undo.csv", file = folder + "/bench-undo-import.fcd";
        std::ofstream out(csv, std::ios::binary);
        out << "name,year,price,quantity,catalog_number\r\n";
        for (int i = 0; i < rows; ++i)
            out << "Row item " << i << ",1985,$" << 1 + i % 500 << ".25," << 1 + i % 3 << ",R" << i << "\r\n";
        out.close();
        std::remove(file.c_str());
        CollectionSession session(CollectionSession::Staleness::ReadAgain);
        session.createPath(file, "Bench", "Kenner", "1985-1990");
        const double step = seconds([&] { session.importCsv(csv); });
        const double undo = seconds([&] { session.undo(); });
        const double redo = seconds([&] { session.redo(); });
        report(("import of " + std::to_string(rows) + " rows").c_str(), step, undo, redo);
    }
    {
        const std::string file = folder + "/bench-undo-update.fcd", update = folder + "/bench-undo.dat";
        std::remove(file.c_str());
        {
            OpenCollection c;
            c.CreateCollection(file, "Bench", "Kenner", "1985-1990");
            for (int i = 0; i < items; ++i) {
                NewItemValues v = randomPricedItem(random);
                v.FigureName += " " + std::to_string(i);
                v.NetChange = "$0";
                v.CatNum = "C" + std::to_string(i);
                c.InsertNewItem(v);
            }
            c.SaveCollection();
        }
        std::ofstream out(update, std::ios::binary);
        for (int i = 0; i < items; ++i) {
            TUpdateRecord r{};
            r.UpdateCatNum.assign("C" + std::to_string(i));
            r.UpdatePrice.assign(std::to_string(2 + i % 900) + ".50");
            out.write(reinterpret_cast<const char*>(&r), sizeof r);
        }
        out.close();
        CollectionSession session(CollectionSession::Staleness::ReadAgain);
        session.openPath(file);
        const double step = seconds([&] { session.applyUpdateFile(update); });
        const double undo = seconds([&] { session.undo(); });
        const double redo = seconds([&] { session.redo(); });
        report(("update of " + std::to_string(items) + " prices").c_str(), step, undo, redo);
    }
    return 0;
}
