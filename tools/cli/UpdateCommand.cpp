// The catalog update without a window: backup, lookup, connect, request, scan into update.dat and
// apply, against the server named by VITRINEX_UPDATE_HOST (or the built-in host). Prints the update
// window's final texts; exit status 1 when nothing was applied.

#include "UpdateCommand.h"

#include "CommandLine.h"
#include "Json.h"
#include "collection/CollectionFile.h"
#include "collection/CollectionLock.h"
#include "collection/OpenCollection.h"
#include "collection/PriceApplication.h"
#include "collection/Win1252.h"
#include "net/UpdateDownload.h"
#include "net/UpdatePrompts.h"
#include "reports/Backup.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <iostream>
#include <stdexcept>
#include <string>

namespace vitrinex::cli {

int commandUpdate(const CommandLine& a) {
    const std::string& file = a.arg(0);
    const std::string type = a.value("type", "");
    if (!type.empty() && type != "SW" && type != "HW") throw UsageError("--type is SW or HW");
    int qtArgc = 1;
    QCoreApplication app(qtArgc, a.argv());
    OpenCollection collection;
    collection.LoadCollection(file);
    if (!net::updateAvailable(collection)) throw std::runtime_error("the collection holds no items to update");
    if (net::hasUpdateType(collection)) {
        if (!type.empty() && type != collection.UpdateType)
            throw std::runtime_error("the collection follows the catalog " + collection.UpdateType + ", not " + type);
    } else if (type.empty()) {
        // The update-type prompt, answered with Cancel.
        throw std::runtime_error("the collection follows no catalog yet: give --type SW (Kenner Star Wars POTF) "
                                 "or --type HW (Mattel Hot Wheels)");
    }
    const std::uint64_t opening = collection.openingId();
    const QDate today = QDate::currentDate();
    net::confirmUpdate(collection, today, type);

    net::UpdateDownload download;
    download.UpdateType = collection.UpdateType;
    download.UpdateFileMode = copyRulesFor(file).mode;
    download.showSocketError = [](const std::string& text) { std::cerr << "vitrinex-cli: " << text << '\n'; };
    download.writeBackup = [&collection](const std::function<void(int)>& advance) { WriteBackup(collection, advance); };
    bool applied = false;
    download.applyUpdate = [&](const std::function<void(int)>& advance) {
        // The collection is held only while the prices go in, never while a server takes its time;
        // what another program saved during the download is read first and kept.
        const CollectionLock lock(file);
        collection.ReloadCollection();
        net::confirmUpdate(collection, today, type);
        const UpdateOutcome outcome =
            ApplyUpdate(collection, opening, download.UpdateFileName, download.UpdateMessage(), advance);
        if (outcome.message) {
            std::cerr << "vitrinex-cli: " << win1252ToUtf8(outcome.message->text) << '\n';
            return false;
        }
        if (outcome.historyFailure) std::cerr << "vitrinex-cli: value history: " << *outcome.historyFailure << '\n';
        download.showApplied(outcome.texts);
        applied = true;
        return true;
    };
    QEventLoop loop;
    bool failed = false;
    QObject::connect(&download, &net::UpdateDownload::changed, &loop, [&] {
        if (download.Finished) loop.quit();
    });
    QObject::connect(&download, &net::UpdateDownload::closeRequested, &loop, [&] {
        failed = true;
        loop.quit();
    });
    QObject::connect(&download, &net::UpdateDownload::inOutError, &loop, [&](const QString& message) {
        std::cerr << "vitrinex-cli: " << message.toStdString() << '\n';
        failed = true;
        loop.quit();
    });
    download.FormShow();
    if (!download.Finished && !failed) loop.exec();

    json::Object out;
    out.addString("label", win1252ToUtf8(download.Label1())).addString("status", win1252ToUtf8(download.StatusLBL()));
    std::cout << out.compact() << '\n';
    return applied && !failed ? 0 : 1;
}

} // namespace vitrinex::cli
