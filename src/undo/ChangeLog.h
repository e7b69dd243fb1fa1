#pragma once
// The change log of a collection: its last steps (each one user command), kept in the folder
// "changes" of the collection's data folder, beside the backup generations and the value history.
// Each step's content is one file ("step-ID"), written once; the list of steps ("log") says which
// are done and which undone (those a redo brings back), and the identity of the collection file as
// the log last saw it. Every file is created private and replaced as a name.
//
// Kill safety: before the collection file is written for a step, an undo or a redo, the list records
// the operation as pending with the file's identity before it. Whoever next reads the log settles a
// pending operation against the file: the file as it was means the write never happened and the
// operation is taken back; a file that holds the step's other side means it happened.

#include "collection/CollectionLock.h"
#include "undo/ChangeStep.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vitrinex {

// An undo or redo refused; what() says why, and nothing has changed.
class EUndoRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct LoggedStep {
    std::uint64_t id = 0;
    std::string time; // ISO 8601, UTC
    std::string text; // UTF-8: the command and what it touched ("delete Snowspeeder")
    std::int64_t items = 0;
    std::uint64_t bytes = 0; // of its file
    bool undone = false;
};

class ChangeLog {
public:
    static constexpr std::size_t kStepsKept = 200;
    static constexpr std::uint64_t kBytesKept = std::uint64_t(64) << 20;

    explicit ChangeLog(std::string collectionPath);

    // Reads the list (none: no steps) and settles a pending operation. Throws EInOutError for a log
    // that does not read.
    void load();
    const std::vector<LoggedStep>& steps() const { return steps_; }
    // The newest step done, and the oldest undone; nullptr when there is none.
    const LoggedStep* undoable() const;
    const LoggedStep* redoable() const;
    // Whether the collection file is as the log last saw it.
    bool describes(const std::optional<FileIdentity>& file) const { return file_ == file; }
    ChangeStep readStep(std::uint64_t id) const;

    // A new step, about to be written to the file, now `before`: the steps that could be redone go,
    // and all of them when the log does not describe the file. Returns its id.
    std::uint64_t begin(const ChangeStep& step, const std::string& text,
                        const std::optional<FileIdentity>& before);
    // The step `id` about to be undone (or redone) on the file, now `before`.
    void beginReplay(std::uint64_t id, Replay direction, const std::optional<FileIdentity>& before);
    // The pending operation's write is done: the file is `after`; a new step takes `text` when given.
    void complete(const std::optional<FileIdentity>& after, const std::string& text = {});
    // The pending operation did not write the file: it is taken back.
    void abandon();
    bool pending() const { return pending_.has_value(); }
    // The step `id` (the newest) takes the photo entries it changed, known once they changed.
    void rewriteStep(std::uint64_t id, const ChangeStep& step);
    // A write of the file that changed nothing the log holds (a save with nothing new): the log,
    // when it described the file as `before`, describes it as `after`.
    void follow(const std::optional<FileIdentity>& before, const std::optional<FileIdentity>& after);
    // Keeps the files of these photos in the store until the next step is logged (a photo command
    // about to remove one).
    void keepPhotosAhead(const std::map<std::string, std::vector<Photo>>& photos);

private:
    struct Pending {
        enum class Kind { Do, Undo, Redo } kind;
        std::uint64_t id;
        std::optional<FileIdentity> before;
    };
    std::string folder(bool create) const;
    std::string stepPath(std::uint64_t id) const;
    void writeList();
    void writeStepFile(std::uint64_t id, const ChangeStep& step);
    void takeBack(const Pending& p);
    void settle();
    void dropStep(std::size_t index);
    void keepWithinLimits();
    void keepPhotos(const std::string& tag, const ChangeStep* step);

    std::string collectionPath_;
    std::vector<LoggedStep> steps_;
    std::optional<FileIdentity> file_;
    std::optional<Pending> pending_;
    std::uint64_t nextId_ = 1;
};

} // namespace vitrinex
