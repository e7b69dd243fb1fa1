#pragma once
// Runs vitrinex-cli (VITRINEX_CLI) as a script would and keeps what it printed.

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

struct CliRun {
    int status = -1;
    QByteArray out, err;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

inline CliRun runCli(const QStringList& args) {
    QProcess p;
    p.start(VITRINEX_CLI, args);
    if (!p.waitForFinished(30000)) qFatal("vitrinex-cli did not finish");
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}
