#include "net/UpdateDownload.h"

#include "collection/InOutError.h"
#include "net/UpdateHost.h"

#include <QCoreApplication>

#include <algorithm>

namespace vitrinex::net {

UpdateDownload::UpdateDownload(QObject* parent) : QObject(parent) {
    for (QTimer* t : {&Timer1, &Timer2, &Timer3, &DownloadDeadline})
        t->setSingleShot(true);
    setIntervals(updateTimeoutMs(), kPauseMs);
    DownloadDeadline.setInterval(updateDeadlineMs());
    connect(&DownloadDeadline, &QTimer::timeout, this, &UpdateDownload::Timer1Timer);
    connect(&Timer1, &QTimer::timeout, this, &UpdateDownload::Timer1Timer);
    connect(&Timer2, &QTimer::timeout, this, &UpdateDownload::Timer2Timer);
    connect(&Timer3, &QTimer::timeout, this, &UpdateDownload::Timer3Timer);
    scanner_.writeRecord = [this](const TUpdateRecord& record) {
        if (FileOpen) updateFile_.append(record);
    };
    scanner_.endMarker = [this] { endMarkerReached(); };
    UpdateHost = updateHost();
}

UpdateDownload::~UpdateDownload() {
    FormClose();
}

void UpdateDownload::setIntervals(int timeoutMs, int pauseMs) {
    Timer1.setInterval(timeoutMs);
    Timer2.setInterval(pauseMs);
    Timer3.setInterval(pauseMs);
}

void UpdateDownload::setLabel1(std::string text) {
    label1_ = std::move(text);
    emit changed();
}

void UpdateDownload::setStatus(std::string text) {
    status_ = std::move(text);
    emit changed();
}

void UpdateDownload::setProgress(int value) {
    progress_ = std::clamp(value, 0, kProgressMax);
    emit changed();
}

void UpdateDownload::advanceProgress(int step) {
    setProgress(progress_ + step);
}

void UpdateDownload::setFinished(bool finished) {
    Finished = finished;
    emit changed();
}

void UpdateDownload::showApplied(const UpdateTexts& texts) {
    setLabel1(texts.message);
    setStatus(texts.status);
    setFinished(true);
}

void UpdateDownload::showNotApplied(const std::string& label, const std::string& status) {
    failure(label, status);
}

void UpdateDownload::playSound(const char* name) {
    if (play) play(name);
}

std::string UpdateDownload::host() const {
    int port = 0;
    return hostFromUrl(updateUrl(UpdateType, UpdateHost), port);
}

// --- start -------------------------------------------------------------------------------------

void UpdateDownload::FormShow() {
    // An update started again while one still runs replaces it.
    FormClose();
    Finished = false;
    FileClosed = false;
    FileOpen = false;
    setLabel1("vitrinex is creating a backup of your collection . . .");
    setStatus("status:  creating backup file . . .");
    setProgress(0);
    try {
        if (writeBackup) writeBackup([this](int step) { advanceProgress(step); });
    } catch (const std::exception& e) {
        // Without a backup nothing is downloaded; the user can close the window.
        inOutFailure(e);
        return;
    }
    setProgress(kProgressMax);
    Timer3.start();
}

void UpdateDownload::Timer3Timer() {
    setLabel1("please wait while vitrinex retrieves update file . . .");
    setProgress(0);
    Timer3.stop();
    StartDownload();
}

void UpdateDownload::StartDownload() {
    FileClosed = true;
    Timer1.stop();
    Phase = 0;
    Socket = std::make_unique<_TSocket>([this](const std::string& text) {
        if (showSocketError) showSocketError(text);
    });
    if (!Socket->Startup()) {
        Socket.reset();
        emit closeRequested();
        return;
    }
    if (!FileOpen && FileClosed) {
        try {
            updateFile_.create(UpdateFileName, UpdateFileMode);
        } catch (const std::exception& e) {
            inOutFailure(e);
            return;
        }
        FileOpen = true;
        FileClosed = false;
    }
    Welcomed = false;
    scanner_.Reset();
    const std::string name = hostFromUrl(updateUrl(UpdateType, UpdateHost), Port);
    setStatus("status:  looking up Quillory . . .");
    advanceProgress(100);
    Phase = 1;
    // A server that keeps sending a little at a time never lets the time-out run out: the whole
    // download has a deadline of its own.
    DownloadDeadline.start();
    Socket->LookupHost(this, HostLookupMessage, name);
    waitForNetwork();
}

// --- lookup and connect --------------------------------------------------------------------------

bool UpdateDownload::event(QEvent* e) {
    if (e->type() != wsa::WindowMessage::eventType()) return QObject::event(e);
    const auto* m = static_cast<const wsa::WindowMessage*>(e);
    // A closed window, or a download that has ended, takes no more messages.
    if (!Socket || Finished) return true;
    if (m->message == HostLookupMessage) WMHostLookup(m->lParam);
    if (m->message == SocketEventMessage) WMSocketEvent(m->wParam, m->lParam);
    return true;
}

void UpdateDownload::WMHostLookup(std::uint32_t lParam) {
    if (Phase != 1 || SocketHandle != wsa::kInvalidSocket) return;
    if (wsa::highWord(lParam) == 0)
        ProcessHostLookup();
    else
        hostNotFound(); // a name that does not resolve is told at once, not after the time-out
}

void UpdateDownload::ProcessHostLookup() {
    Timer1.stop();
    setStatus("status:  connecting to Quillory . . .");
    advanceProgress(100);
    if (Port == 0) Port = 80;
    if (!Socket->TakeHostAddress()) {
        hostNotFound();
        return;
    }
    SocketHandle = Socket->Connect(this, SocketEventMessage, static_cast<std::uint16_t>(Port));
    waitForNetwork();
}

void UpdateDownload::WMSocketEvent(std::uintptr_t handle, std::uint32_t lParam) {
    if (SocketHandle == wsa::kInvalidSocket || handle != static_cast<std::uintptr_t>(SocketHandle)) return;
    switch (wsa::lowWord(lParam)) {
    case wsa::FD_READ: ProcessHostReceive(); break;
    case wsa::FD_WRITE: ProcessHostSend(); break;
    case wsa::FD_CONNECT: ProcessHostConnect(); break;
    case wsa::FD_CLOSE:
        // The server ended the answer without the end marker: there is no update file to apply.
        if (Welcomed && !scanner_.EndMarkerSeen()) fileNotFound();
        break;
    default: break;
    }
}

void UpdateDownload::ProcessHostConnect() {
    Timer1.stop();
    if (!FileClosed) playSound("v10up.qys");
    setStatus("status:  receiving welcome from Quillory . . .");
    advanceProgress(100);
    Phase = 1;
    ProcessHostWelcome();
}

void UpdateDownload::ProcessHostWelcome() {
    Timer1.stop();
    Welcomed = true;
    Phase = 2;
    const std::string path = pathFromUrl(updateUrl(UpdateType, UpdateHost));
    if (!Socket->IsConnected(SocketHandle)) {
        failure("vitrinex could not connect with host. please try again later.", "status:  not connected . . .");
        return;
    }
    setStatus("status:  requesting update file . . .");
    advanceProgress(100);
    Socket->SendLine(SocketHandle, "GET " + path);
    waitForNetwork();
}

// --- receiving ----------------------------------------------------------------------------------

void UpdateDownload::ProcessHostSend() {
    // Ready to write: nothing is waiting to be sent, and the time-out keeps running.
}

void UpdateDownload::ProcessHostReceive() {
    Timer1.stop();
    const long received = wsa::Recv(SocketHandle, ReceiveBuffer, UpdateStreamScanner::kBlockSize);
    const std::size_t length = received > 0 ? static_cast<std::size_t>(received) : 0;
    ReceiveBuffer[length] = '\0';
    if (Phase == 1) ProcessHostWelcome();
    if (Phase == 2 && !Finished) ProcessHostGet(length);
    if (!Finished && !scanner_.EndMarkerSeen()) waitForNetwork();
}

void UpdateDownload::ProcessHostGet(std::size_t length) {
    Timer1.stop();
    if (!Welcomed) return;
    UpdateStreamScanner::Answer answer;
    try {
        answer = scanner_.ProcessHostGet(ReceiveBuffer, length);
    } catch (const std::exception& e) {
        // update.dat could not take a record: applying what it holds would lose prices.
        inOutFailure(e);
        return;
    }
    // A "not found" page, or any answer that ends as an HTML page, holds no update file.
    if (answer != UpdateStreamScanner::Answer::Reading) fileNotFound();
}

void UpdateDownload::endMarkerReached() {
    Timer1.stop();
    DownloadDeadline.stop();
    setStatus("status:  update file transfered . . .");
    setProgress(kProgressMax);
    closeConnection(true);
    Timer2.start();
}

// --- finishing ----------------------------------------------------------------------------------

void UpdateDownload::Timer2Timer() {
    Timer2.stop();
    if (!Socket && !FileOpen) return; // the window was closed meanwhile
    try {
        closeUpdateFile();
    } catch (const std::exception& e) {
        inOutFailure(e);
        return;
    }
    setLabel1("please wait while vitrinex updates your collection . . .");
    setStatus("status:  updating prices . . .");
    setProgress(0);
    bool applied = false;
    try {
        applied = applyUpdate && applyUpdate([this](int step) { advanceProgress(step); });
    } catch (const std::exception& e) {
        inOutFailure(e);
        return;
    }
    if (!applied) {
        if (!Finished) fileNotFound();
        return;
    }
    setProgress(kProgressMax);
}

void UpdateDownload::Timer1Timer() {
    Timer1.stop();
    if (!Socket || Finished) return;
    failure("update has timed-out. be sure you have established an internet connection and try again.",
            "update has timed-out.");
}

void UpdateDownload::FormClose() {
    for (QTimer* t : {&Timer1, &Timer2, &Timer3, &DownloadDeadline})
        t->stop();
    // A download stopped before its end marker leaves no update.dat.
    if (FileOpen && !FileClosed) discardUpdateFile();
    closeConnection(false);
    if (Socket) Socket->Cleanup();
    Socket.reset();
    Phase = 0;
    Welcomed = false;
    // Messages already on their way belong to the download that just ended.
    QCoreApplication::removePostedEvents(this, wsa::WindowMessage::eventType());
}

// --- failures -----------------------------------------------------------------------------------

void UpdateDownload::failure(const std::string& label, const std::string& status) {
    Timer1.stop();
    DownloadDeadline.stop();
    if (!FileClosed) playSound("v10dt.qys");
    setLabel1(label);
    setStatus(status);
    discardUpdateFile();
    // Nothing more may arrive for a download that has ended.
    closeConnection(true);
    setFinished(true);
}

void UpdateDownload::hostNotFound() {
    failure(host() + " could not be found. please try again later.", "status:  cannot find host address . . .");
}

void UpdateDownload::fileNotFound() {
    Welcomed = false;
    failure("update file could not be found on host. please try again later.", "status:  update file not found . . .");
}

void UpdateDownload::inOutFailure(const std::exception& error) {
    Timer1.stop();
    Timer2.stop();
    Timer3.stop();
    DownloadDeadline.stop();
    if (!FileClosed) playSound("v10dt.qys");
    discardUpdateFile();
    closeConnection(true);
    setFinished(true);
    emit inOutError(QString::fromLocal8Bit(error.what()));
}

void UpdateDownload::closeUpdateFile() {
    if (!FileOpen) return;
    FileOpen = false;
    FileClosed = true;
    updateFile_.close();
}

void UpdateDownload::discardUpdateFile() {
    FileOpen = false;
    FileClosed = true;
    updateFile_.discard();
}

void UpdateDownload::closeConnection(bool shutDownReceiving) {
    if (SocketHandle == wsa::kInvalidSocket) return;
    if (shutDownReceiving) wsa::Shutdown(SocketHandle, wsa::SD_RECEIVE);
    if (Socket) Socket->CloseSocket(SocketHandle);
    SocketHandle = wsa::kInvalidSocket;
}

void UpdateDownload::waitForNetwork() {
    if (Socket && !Finished) Timer1.start();
}

} // namespace vitrinex::net
