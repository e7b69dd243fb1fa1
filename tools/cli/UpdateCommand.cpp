// The catalog update without a window: backup, lookup, connect, request, scan into update.dat and
// apply, by the same job as the update window, against the server named by VITRINEX_UPDATE_HOST (or
// the built-in host). Prints the update's final texts; exit status 1 when nothing was applied.

#include "UpdateCommand.h"

#include "CommandLine.h"
#include "HistoryCommands.h"
#include "Json.h"
#include "collection/UpdatePrompts.h"
#include "model/CollectionSession.h"
#include "update/CatalogUpdate.h"

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
    // What another program saved during the download is read first and kept.
    CollectionSession session(CollectionSession::Staleness::ReadAgain);
    session.openPath(file);
    const OpenCollection& collection = session.collection();
    if (!updateAvailable(collection)) throw std::runtime_error("the collection holds no items to update");
    if (hasUpdateType(collection)) {
        if (!type.empty() && type != collection.header().UpdateType)
            throw std::runtime_error("the collection follows the catalog " + collection.header().UpdateType +
                                     ", not " + type);
    } else if (type.empty()) {
        // The update-type prompt, answered with Cancel.
        throw std::runtime_error(
            "the collection follows no catalog yet: give --type SW (Kenner Star Wars POTF) "
            "or --type HW (Mattel Hot Wheels)");
    }

    using update::CatalogUpdate;
    CatalogUpdate job(session);
    const auto tell = [](const QString& text) {
        std::cerr << "vitrinex-cli: " << text.toStdString() << '\n';
    };
    QObject::connect(&job, &CatalogUpdate::socketError, tell);
    QObject::connect(&job, &CatalogUpdate::fileError, tell);
    QObject::connect(&job, &CatalogUpdate::notApplied,
                     [&](const QString&, const QString& text) { tell(text); });
    QString message, status;
    QObject::connect(&job, &CatalogUpdate::stageChanged, [&](const QString& m, const QString& s) {
        message = m;
        status = s;
    });
    QEventLoop loop;
    bool ended = false, applied = false;
    QObject::connect(&job, &CatalogUpdate::finished, &loop, [&](const update::CatalogUpdateResult& result) {
        applied = result.applied;
        ended = true;
        loop.quit();
    });
    QObject::connect(&job, &CatalogUpdate::cancelled, &loop, [&] {
        ended = true;
        loop.quit();
    });
    job.start(QDate::currentDate(), type);
    if (!ended) loop.exec();

    json::Object out;
    out.addString("label", message.toStdString()).addString("status", status.toStdString());
    if (applied) addUpdateChanges(out, session);
    std::cout << out.compact() << '\n';
    return applied ? 0 : 1;
}

} // namespace vitrinex::cli
