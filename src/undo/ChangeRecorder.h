#pragma once
// Takes one step of the change log per user command on the open collection, and undoes and redoes
// them. CollectionSession, the one path of every change, calls it around each command (begin,
// finish or fail, under the collection's lock) and lets it watch every write of the file
// (beforeWrite): what memory is about to write is compared with what the file holds, record by
// record as both stream past, and only what differs is kept.

#include "collection/OpenCollection.h"
#include "undo/ChangeLog.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vitrinex {

class ChangeRecorder {
public:
    // A command starts on the open collection `c`, whose lock is held: its log is read. `text`
    // names its step as far as the command knows it when the file is written.
    void begin(const OpenCollection& c, const std::string& text);
    // The collection's write observer (see OpenCollection::setWriteObserver).
    OpenCollection::RecordSource beforeWrite(OpenCollection& c, const OpenCollection::RecordSource& records);
    // The command is about to change the photos of the item `name` (their files are kept).
    void photosAhead(std::string_view name);
    // The command is done; `text` (UTF-8) names its step.
    void finish(const OpenCollection& c, const std::string& text);
    // The command failed: a step whose write did not happen goes.
    void fail();
    // Puts the collection file back as it was before its newest step (or as it is after its oldest
    // undone one), its photo entries with it, and reads it back. Returns the step's text. Throws
    // EUndoRefused (nothing changed) when there is nothing to replay or the file was changed by
    // something that keeps no log, EChangedElsewhere when memory is behind the file.
    std::string replay(OpenCollection& c, Replay direction);
    // The steps of the log read by begin().
    std::vector<LoggedStep> steps() const {
        return active_ && log_ ? log_->steps() : std::vector<LoggedStep>();
    }
    // The collection file `path` is about to be replaced by `replacement` (a restore); memory holds
    // it as it is now.
    void beforeReplace(OpenCollection& present, const OpenCollection& replacement);

private:
    void takePhotosBefore();
    std::map<std::string, std::vector<Photo>> photosOf(const std::vector<std::string>& keys) const;

    std::optional<ChangeLog> log_;
    std::string path_; // the collection file of the running command
    bool active_ = false, replaying_ = false;
    std::optional<FileIdentity> identityAtBegin_;
    std::optional<std::uint64_t> stepId_; // logged by this command, its write pending
    ChangeStep step_;
    std::vector<std::string> photoKeys_; // whose photo entries the step follows
    bool photoCommand_ = false;
    const std::string* text_ = nullptr;
};

} // namespace vitrinex
