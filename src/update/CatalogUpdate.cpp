#include "update/CatalogUpdate.h"

#include "collection/InOutError.h"
#include "collection/SafeFile.h"
#include "collection/Win1252.h"
#include "model/CollectionSession.h"
#include "net/UpdateHost.h"
#include "reports/Backup.h"

#include <QCoreApplication>

#include <algorithm>
#include <optional>

namespace vitrinex::update {

namespace {
QString fromWin1252(const std::string& text) {
    return QString::fromStdString(win1252ToUtf8(text));
}
} // namespace

CatalogUpdate::CatalogUpdate(CollectionSession& collection, QObject* parent)
    : QObject(parent), collection_(collection), host_(net::updateHost()) {
    for (QTimer* t : {&networkTimeout_, &pauseBeforeDownload_, &pauseBeforeApplication_, &downloadDeadline_})
        t->setSingleShot(true);
    setIntervals(net::updateTimeoutMs(), kPauseMs);
    downloadDeadline_.setInterval(net::updateDeadlineMs());
    connect(&downloadDeadline_, &QTimer::timeout, this, &CatalogUpdate::timedOut);
    connect(&networkTimeout_, &QTimer::timeout, this, &CatalogUpdate::timedOut);
    connect(&pauseBeforeApplication_, &QTimer::timeout, this, &CatalogUpdate::applyPrices);
    connect(&pauseBeforeDownload_, &QTimer::timeout, this, &CatalogUpdate::beginDownload);
    scanner_.writeRecord = [this](const TUpdateRecord& record) {
        if (FileOpen) updateFile_.append(record);
    };
    scanner_.endMarker = [this] { endMarkerReached(); };
}

CatalogUpdate::~CatalogUpdate() {
    stop();
}

void CatalogUpdate::setIntervals(int timeoutMs, int pauseMs) {
    networkTimeout_.setInterval(timeoutMs);
    pauseBeforeApplication_.setInterval(pauseMs);
    pauseBeforeDownload_.setInterval(pauseMs);
}

const OpenCollection& CatalogUpdate::collection() const {
    return collection_.collection();
}

void CatalogUpdate::setMessage(std::string text) {
    message_ = std::move(text);
    emit stageChanged(fromWin1252(message_), fromWin1252(status_));
}

void CatalogUpdate::setStatus(std::string text) {
    status_ = std::move(text);
    emit stageChanged(fromWin1252(message_), fromWin1252(status_));
}

void CatalogUpdate::setProgress(int value) {
    progress_ = std::clamp(value, 0, kProgressMax);
    emit progressChanged(progress_);
}

void CatalogUpdate::advanceProgress(int step) {
    setProgress(progress_ + step);
}

void CatalogUpdate::finish(bool applied) {
    Finished = true;
    emit finished({applied, fromWin1252(message_), fromWin1252(status_)});
}

void CatalogUpdate::playSound(const char* name) {
    emit soundRequested(QString::fromLatin1(name));
}

// --- start -------------------------------------------------------------------------------------

void CatalogUpdate::start(const QDate& day, const std::string& chosenType) {
    stop();
    // The prices go only to this opening of the collection (see applyPrices).
    opening_ = collection().openingId();
    day_ = day;
    chosenType_ = chosenType;
    collection_.confirmUpdate(day, chosenType);
    UpdateType = collection().header().UpdateType;
    updateFileMode_ = copyRulesFor(collection().fileName()).mode;

    Finished = false;
    FileClosed = false;
    FileOpen = false;
    setMessage("vitrinex is creating a backup of your collection . . .");
    setStatus("status:  creating backup file . . .");
    setProgress(0);
    try {
        WriteBackup(collection(), [this](int step) { advanceProgress(step); });
    } catch (const std::exception& e) {
        // Without a backup nothing is downloaded.
        inOutFailure(e);
        return;
    }
    setProgress(kProgressMax);
    pauseBeforeDownload_.start();
}

void CatalogUpdate::beginDownload() {
    setMessage("please wait while vitrinex retrieves update file . . .");
    setProgress(0);
    StartDownload();
}

void CatalogUpdate::StartDownload() {
    FileClosed = true;
    networkTimeout_.stop();
    Phase = 0;
    Socket = std::make_unique<TSocket>(
        [this](const std::string& text) { emit socketError(QString::fromStdString(text)); });
    if (!Socket->Startup()) {
        Socket.reset();
        emit cancelled();
        return;
    }
    if (!FileOpen && FileClosed) {
        try {
            updateFile_.create(updateFileName_, updateFileMode_);
        } catch (const std::exception& e) {
            inOutFailure(e);
            return;
        }
        FileOpen = true;
        FileClosed = false;
    }
    Welcomed = false;
    scanner_.Reset();
    const std::string name = net::hostFromUrl(net::updateUrl(UpdateType, host_), Port);
    setStatus("status:  looking up Quillory . . .");
    advanceProgress(100);
    Phase = 1;
    // A server that keeps sending a little at a time never lets the time-out run out: the whole
    // download has a deadline of its own.
    downloadDeadline_.start();
    Socket->LookupHost(this, HostLookupMessage, name);
    waitForNetwork();
}

// --- lookup and connect --------------------------------------------------------------------------

bool CatalogUpdate::event(QEvent* e) {
    if (e->type() != wsa::WindowMessage::eventType()) return QObject::event(e);
    const auto* m = static_cast<const wsa::WindowMessage*>(e);
    // A stopped update, or one that has ended, takes no more messages.
    if (!Socket || Finished) return true;
    if (m->message == HostLookupMessage) onHostLookup(m->lParam);
    if (m->message == SocketEventMessage) onSocketEvent(m->wParam, m->lParam);
    return true;
}

void CatalogUpdate::onHostLookup(std::uint32_t lParam) {
    if (Phase != 1 || SocketHandle != wsa::kInvalidSocket) return;
    if (wsa::highWord(lParam) == 0)
        ProcessHostLookup();
    else
        hostNotFound(); // a name that does not resolve is told at once, not after the time-out
}

void CatalogUpdate::ProcessHostLookup() {
    networkTimeout_.stop();
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

void CatalogUpdate::onSocketEvent(std::uintptr_t handle, std::uint32_t lParam) {
    if (SocketHandle == wsa::kInvalidSocket || handle != static_cast<std::uintptr_t>(SocketHandle)) return;
    switch (wsa::lowWord(lParam)) {
    case wsa::FD_READ:
        ProcessHostReceive();
        break;
    case wsa::FD_CONNECT:
        ProcessHostConnect();
        break;
    case wsa::FD_CLOSE:
        // The server ended the answer without the end marker: there is no update file to apply.
        if (Welcomed && !scanner_.EndMarkerSeen()) fileNotFound();
        break;
    default:
        break; // ready to write: nothing is waiting to be sent, and the time-out keeps running
    }
}

void CatalogUpdate::ProcessHostConnect() {
    networkTimeout_.stop();
    if (!FileClosed) playSound("v10up.qys");
    setStatus("status:  receiving welcome from Quillory . . .");
    advanceProgress(100);
    Phase = 1;
    ProcessHostWelcome();
}

void CatalogUpdate::ProcessHostWelcome() {
    networkTimeout_.stop();
    Welcomed = true;
    Phase = 2;
    const std::string path = net::pathFromUrl(net::updateUrl(UpdateType, host_));
    if (!Socket->IsConnected(SocketHandle)) {
        failure("vitrinex could not connect with host. please try again later.",
                "status:  not connected . . .");
        return;
    }
    setStatus("status:  requesting update file . . .");
    advanceProgress(100);
    Socket->SendLine(SocketHandle, "GET " + path);
    waitForNetwork();
}

// --- receiving ----------------------------------------------------------------------------------

void CatalogUpdate::ProcessHostReceive() {
    networkTimeout_.stop();
    const long received = Socket->Receive(SocketHandle, ReceiveBuffer, net::UpdateStreamScanner::kBlockSize);
    const std::size_t length = received > 0 ? static_cast<std::size_t>(received) : 0;
    ReceiveBuffer[length] = '\0';
    if (Phase == 1) ProcessHostWelcome();
    if (Phase == 2 && !Finished) ProcessHostGet(length);
    if (!Finished && !scanner_.EndMarkerSeen()) waitForNetwork();
}

void CatalogUpdate::ProcessHostGet(std::size_t length) {
    networkTimeout_.stop();
    if (!Welcomed) return;
    net::UpdateStreamScanner::Answer answer;
    try {
        answer = scanner_.ProcessHostGet(ReceiveBuffer, length);
    } catch (const std::exception& e) {
        // update.dat could not take a record: applying what it holds would lose prices.
        inOutFailure(e);
        return;
    }
    // A "not found" page, or any answer that ends as an HTML page, holds no update file.
    if (answer != net::UpdateStreamScanner::Answer::Reading) fileNotFound();
}

void CatalogUpdate::endMarkerReached() {
    networkTimeout_.stop();
    downloadDeadline_.stop();
    setStatus("status:  update file transfered . . .");
    setProgress(kProgressMax);
    closeConnection();
    pauseBeforeApplication_.start();
}

// --- the application ----------------------------------------------------------------------------

void CatalogUpdate::applyPrices() {
    if (!Socket && !FileOpen) return; // stopped meanwhile
    try {
        closeUpdateFile();
    } catch (const std::exception& e) {
        inOutFailure(e);
        return;
    }
    setMessage("please wait while vitrinex updates your collection . . .");
    setStatus("status:  updating prices . . .");
    setProgress(0);
    // The collection may have been closed, or another opened, during the download.
    const auto stillOpen = [this] { return collection().isOpen() && collection().openingId() == opening_; };
    UpdateOutcome outcome;
    try {
        // The session locks the file only while the prices go in, never while a server takes its time.
        outcome = collection_.applyUpdate(opening_, updateFileName_, scanner_.UpdateMessage,
                                          [this](int step) { advanceProgress(step); });
    } catch (const EChangedElsewhere& refused) {
        // The collection was read again as the other program left it; the update can be run again.
        emit changedElsewhere(refused);
        failure("the collection file was changed by another program; the update was not applied.",
                "status:  update not applied . . .");
        return;
    } catch (const std::exception& e) {
        inOutFailure(e);
        return;
    }
    if (outcome.message) {
        emit notApplied(fromWin1252(outcome.message->title), fromWin1252(outcome.message->text));
        // The file came whole; the host is not to blame for a collection that went.
        if (!stillOpen())
            failure(outcome.message->text, "status:  update not applied . . .");
        else
            fileNotFound();
        return;
    }
    setMessage(outcome.texts.message);
    setStatus(outcome.texts.status);
    setProgress(kProgressMax);
    finish(true);
}

void CatalogUpdate::timedOut() {
    networkTimeout_.stop();
    if (!Socket || Finished) return;
    failure("update has timed-out. be sure you have established an internet connection and try again.",
            "update has timed-out.");
}

void CatalogUpdate::stop() {
    for (QTimer* t : {&networkTimeout_, &pauseBeforeDownload_, &pauseBeforeApplication_, &downloadDeadline_})
        t->stop();
    // A download stopped before its end marker leaves no update.dat.
    if (FileOpen && !FileClosed) discardUpdateFile();
    closeConnection();
    if (Socket) Socket->Cleanup();
    Socket.reset();
    Phase = 0;
    Welcomed = false;
    // Messages already on their way belong to the update that just ended.
    QCoreApplication::removePostedEvents(this, wsa::WindowMessage::eventType());
}

// --- failures -----------------------------------------------------------------------------------

void CatalogUpdate::failure(const std::string& message, const std::string& status) {
    networkTimeout_.stop();
    downloadDeadline_.stop();
    if (!FileClosed) playSound("v10dt.qys");
    setMessage(message);
    setStatus(status);
    discardUpdateFile();
    // Nothing more may arrive for a download that has ended.
    closeConnection();
    finish(false);
}

void CatalogUpdate::hostNotFound() {
    int port = 0;
    const std::string host = net::hostFromUrl(net::updateUrl(UpdateType, host_), port);
    failure(host + " could not be found. please try again later.", "status:  cannot find host address . . .");
}

void CatalogUpdate::fileNotFound() {
    Welcomed = false;
    failure("update file could not be found on host. please try again later.",
            "status:  update file not found . . .");
}

void CatalogUpdate::inOutFailure(const std::exception& error) {
    for (QTimer* t : {&networkTimeout_, &pauseBeforeDownload_, &pauseBeforeApplication_, &downloadDeadline_})
        t->stop();
    if (!FileClosed) playSound("v10dt.qys");
    // The labels say why the update stopped, not what it was doing when it did.
    setMessage(std::string("the update was stopped: ") + error.what());
    setStatus("status:  update stopped . . .");
    discardUpdateFile();
    closeConnection();
    Finished = true;
    emit fileError(QString::fromLocal8Bit(error.what()));
    finish(false);
}

void CatalogUpdate::closeUpdateFile() {
    if (!FileOpen) return;
    FileOpen = false;
    FileClosed = true;
    updateFile_.close();
}

void CatalogUpdate::discardUpdateFile() {
    FileOpen = false;
    FileClosed = true;
    updateFile_.discard();
}

void CatalogUpdate::closeConnection() {
    if (SocketHandle == wsa::kInvalidSocket) return;
    // Closing drops whatever is unread: nothing more of the connection arrives.
    if (Socket) Socket->CloseSocket(SocketHandle);
    SocketHandle = wsa::kInvalidSocket;
}

void CatalogUpdate::waitForNetwork() {
    if (Socket && !Finished) networkTimeout_.start();
}

} // namespace vitrinex::update
