#pragma once
// CatalogUpdate: a catalog update of the open collection from start to end, below the windows. It
// writes the backup, looks the update server up, connects, sends the request line, scans the answer
// into update.dat and, a pause after the end marker, applies update.dat to the collection that was
// open when the update was confirmed. Driven by its timers and by the socket client's messages 1524
// and 1525, one at a time on the thread it lives on. It tells what happens by its signals: the update
// window shows them, the command line prints them.

#include "collection/OpenCollection.h"
#include "net/TSocket.h"
#include "net/UpdateRecordFile.h"
#include "net/UpdateStreamScanner.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>
#include <sys/types.h>

namespace vitrinex {
class CollectionSession;
}

namespace vitrinex::update {

// How an update ended.
struct CatalogUpdateResult {
    bool applied = false;
    QString message, status; // the final texts
};

class CatalogUpdate : public QObject {
    Q_OBJECT
public:
    static constexpr int kProgressMax = 500;
    static constexpr int kPauseMs = 1500;

    explicit CatalogUpdate(CollectionSession& collection, QObject* parent = nullptr);
    ~CatalogUpdate() override;

    // "host" or "host:port" of the update server (updateHost() unless set).
    void setHost(std::string hostPort) { host_ = std::move(hostPort); }
    // The wait for the network, and the pauses before the download and before the application.
    void setIntervals(int timeoutMs, int pauseMs);
    // Where update.dat is written (the current directory unless set).
    void setUpdateFileName(std::string fileName) { updateFileName_ = std::move(fileName); }
    const std::string& updateFileName() const { return updateFileName_; }
    // Confirms an update of the open collection on `day` (with the catalog `chosenType` when given) and
    // runs it. An update still running gives way to the new one.
    void start(const QDate& day, const std::string& chosenType = {});
    // Ends an update for good (its window was closed): nothing more is reported, no update.dat is left
    // unless the download was complete.
    void stop();

    // The update stopped, applied or not; false again from the next start.
    bool isFinished() const { return Finished; }
    // The braced message of the last answer; it lives on from one update to the next.
    const std::string& updateMessage() const { return scanner_.UpdateMessage; }
    // The session the prices go in through; what they changed is its lastUpdateChanges().
    const CollectionSession& session() const { return collection_; }

signals:
    // The message and status texts changed.
    void stageChanged(const QString& message, const QString& status);
    void progressChanged(int value);
    // A sound to play under the sounds switch ("v10up.qys" on connecting, "v10dt.qys" on a failure).
    void soundRequested(const QString& name);
    // A sentence of the socket client, for a plain message box.
    void socketError(const QString& sentence);
    // A file operation failed ("Disk full", ...): nothing was applied.
    void fileError(const QString& message);
    // The collection file was changed by another program: it has been read again, nothing applied.
    void changedElsewhere(const vitrinex::EChangedElsewhere& refused);
    // update.dat came whole but could not be applied: why, for the message dialog.
    void notApplied(const QString& title, const QString& text);
    // The socket client could not start: the update ends without texts of its own.
    void cancelled();
    void finished(const vitrinex::update::CatalogUpdateResult& result);

protected:
    bool event(QEvent* event) override;

private:
    void beginDownload();
    void StartDownload();
    void onHostLookup(std::uint32_t lParam);
    void onSocketEvent(std::uintptr_t handle, std::uint32_t lParam);
    void ProcessHostLookup();
    void ProcessHostConnect();
    void ProcessHostWelcome();
    void ProcessHostReceive();
    void ProcessHostGet(std::size_t length);
    void endMarkerReached();
    void applyPrices();
    void timedOut();

    void setMessage(std::string text);
    void setStatus(std::string text);
    void setProgress(int value);
    void advanceProgress(int step);
    void finish(bool applied);
    void failure(const std::string& message, const std::string& status);
    void hostNotFound();
    void fileNotFound();
    void inOutFailure(const std::exception& error);
    void closeUpdateFile();
    void discardUpdateFile();
    void closeConnection();
    void waitForNetwork();
    void playSound(const char* name);
    const OpenCollection& collection() const;

    CollectionSession& collection_;
    std::string host_, updateFileName_ = "update.dat";
    // Taken at confirmation: the collection the prices belong to, and how it was confirmed.
    std::uint64_t opening_ = 0;
    QDate day_;
    std::string chosenType_, UpdateType;
    mode_t updateFileMode_ = 0600;

    QTimer networkTimeout_, pauseBeforeDownload_, pauseBeforeApplication_, downloadDeadline_;
    int Phase = 0; // 0 idle, 1 looking up and connecting, 2 request sent
    bool Welcomed = false, Finished = false, FileOpen = false, FileClosed = false;
    int Port = 0;
    std::unique_ptr<TSocket> Socket;
    wsa::Socket SocketHandle = wsa::kInvalidSocket;
    char ReceiveBuffer[net::UpdateStreamScanner::kBlockSize + 1] = {};
    net::UpdateStreamScanner scanner_;
    net::UpdateRecordWriter updateFile_;
    std::string message_, status_;
    int progress_ = 0;
};

} // namespace vitrinex::update
