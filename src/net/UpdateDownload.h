#pragma once
// The catalog update as the update window runs it, without the window: backup, host lookup,
// connect, the request line, the receive path into update.dat and, after the end marker, the price
// application. Driven by its three timers and by the socket messages 1524 and 1525, one at a time on
// the user-interface thread. The update window shows its texts, bar and `Finished`; the command line
// runs it with no window at all.

#include "collection/PriceApplication.h"
#include "net/TSocket.h"
#include "net/UpdateRecordFile.h"
#include "net/UpdateStreamScanner.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

namespace vitrinex::net {

class UpdateDownload : public QObject {
    Q_OBJECT
public:
    static constexpr int kProgressMax = 500;
    static constexpr int kPauseMs = 1500;

    explicit UpdateDownload(QObject* parent = nullptr);
    ~UpdateDownload() override;

    // --- what the owner provides -------------------------------------------------------------
    // Writes the backup of the open collection, calling `advance` with the bar's step for each item
    // written. Throws EInOutError on failure.
    std::function<void(const std::function<void(int step)>& advance)> writeBackup;
    // Applies update.dat (closed by then) to the collection that was open when the update was
    // confirmed, advancing the bar as it goes; on success sets the final texts and Finished through
    // the setters below and returns true. False when nothing was applied (the owner has told the
    // user why); unless the owner ended it with showNotApplied, the window then ends as a download
    // whose update file was not found.
    std::function<bool(const std::function<void(int step)>& advance)> applyUpdate;
    // Plays a sound by name (under the sounds switch).
    std::function<void(const std::string&)> play;
    // Shows a sentence of the sockets layer in a plain message box.
    std::function<void(const std::string&)> showSocketError;

    // The collection's update type ("SW", "HW"), taken when the update starts.
    std::string UpdateType;
    // "host" or "host:port" of the update server.
    std::string UpdateHost;
    // The time-out while waiting for the network, and the pauses before the download and before
    // the application.
    void setIntervals(int timeoutMs, int pauseMs);
    // Where update.dat is written (the current directory by default).
    std::string UpdateFileName = "update.dat";
    // Its permission bits: at most the collection's.
    mode_t UpdateFileMode = 0600;

    // --- the window's handlers ---------------------------------------------------------------
    void FormShow();
    void FormClose();
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void StartDownload();

    // --- state the window shows (texts in Windows-1252) ---------------------------------------
    const std::string& Label1() const { return label1_; }
    const std::string& StatusLBL() const { return status_; }
    int Progress() const { return progress_; }
    bool Finished = false;
    const std::string& UpdateMessage() const { return scanner_.UpdateMessage; }

    void setLabel1(std::string text);
    void setStatus(std::string text);
    void setProgress(int value);
    void advanceProgress(int step);
    void setFinished(bool finished);
    // An applied update: its final texts, and Finished. The owner's applyUpdate calls it on success.
    void showApplied(const UpdateTexts& texts);
    // Nothing was applied for a reason of the owner's: the window ends as a failure with these texts.
    void showNotApplied(const std::string& label, const std::string& status);

    int Phase = 0;
    bool Welcomed = false;
    bool FileOpen = false;
    bool FileClosed = false;
    int Port = 0;

signals:
    // Texts, bar or Finished changed.
    void changed();
    // The sockets layer could not start: the window closes.
    void closeRequested();
    // A file operation failed ("Disk full", ...): the default error report shows it.
    void inOutError(const QString& message);

protected:
    bool event(QEvent* event) override;

private:
    void WMHostLookup(std::uint32_t lParam);
    void WMSocketEvent(std::uintptr_t handle, std::uint32_t lParam);
    void ProcessHostLookup();
    void ProcessHostConnect();
    void ProcessHostWelcome();
    void ProcessHostSend();
    void ProcessHostReceive();
    void ProcessHostGet(std::size_t length);
    void endMarkerReached();

    void failure(const std::string& label, const std::string& status);
    void hostNotFound();
    void fileNotFound();
    void inOutFailure(const std::exception& error);
    void closeUpdateFile();
    void discardUpdateFile();
    void closeConnection(bool shutDownReceiving);
    void waitForNetwork();
    void playSound(const char* name);
    std::string host() const;

    QTimer Timer1, Timer2, Timer3, DownloadDeadline;
    std::unique_ptr<_TSocket> Socket;
    wsa::Socket SocketHandle = wsa::kInvalidSocket;
    char ReceiveBuffer[UpdateStreamScanner::kBlockSize + 1] = {};
    UpdateStreamScanner scanner_;
    UpdateRecordWriter updateFile_;
    std::string label1_, status_;
    int progress_ = 0;
};

} // namespace vitrinex::net
