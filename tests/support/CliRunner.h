#pragma once
// Runs vitrinex-cli (VITRINEX_CLI), or a shell around it, as a script would and keeps what it printed.

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <utility>

namespace vitrinex::testing {

struct CliRun {
    int status = -1; // the exit status; -1 when the program crashed, -2 when it ran out of time
    bool crashed = false;
    QByteArray out, err;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

struct CliOptions {
    QList<std::pair<QString, QString>> environment; // added to the test's own environment
    QString outFile;                                // standard output goes here instead of CliRun::out
    int timeoutMs = 30000;
    bool timeoutIsFatal = true; // otherwise the program is killed and the run reads -2, "timed out"
};

inline void startProgram(QProcess& p, const QString& program, const QStringList& args,
                         const CliOptions& o = {}) {
    if (!o.environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const auto& [name, value] : o.environment)
            env.insert(name, value);
        p.setProcessEnvironment(env);
    }
    if (!o.outFile.isEmpty()) p.setStandardOutputFile(o.outFile);
    p.start(program, args);
}

inline CliRun finishProgram(QProcess& p, const CliOptions& o = {}) {
    if (!p.waitForFinished(o.timeoutMs)) {
        if (o.timeoutIsFatal) qFatal("%s did not finish", qPrintable(p.program()));
        p.kill();
        p.waitForFinished();
        return {-2, false, {}, "timed out"};
    }
    const bool crashed = p.exitStatus() == QProcess::CrashExit;
    return {crashed ? -1 : p.exitCode(), crashed, p.readAllStandardOutput(), p.readAllStandardError()};
}

inline CliRun runProgram(const QString& program, const QStringList& args, const CliOptions& o = {}) {
    QProcess p;
    startProgram(p, program, args, o);
    return finishProgram(p, o);
}

inline void startCli(QProcess& p, const QStringList& args, const CliOptions& o = {}) {
    startProgram(p, QStringLiteral(VITRINEX_CLI), args, o);
}

inline CliRun runCli(const QStringList& args, const CliOptions& o = {}) {
    return runProgram(QStringLiteral(VITRINEX_CLI), args, o);
}

} // namespace vitrinex::testing
