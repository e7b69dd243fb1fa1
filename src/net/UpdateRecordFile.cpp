#include "net/UpdateRecordFile.h"

#include "collection/InOutError.h"
#include "collection/SafeFile.h"

#include <sys/stat.h>
#include <unistd.h>

namespace vitrinex::net {

UpdateRecordWriter::UpdateRecordWriter() = default;

UpdateRecordWriter::~UpdateRecordWriter() = default;

namespace {
constexpr std::size_t kBlockBytes = 21 * 4096;
}

void UpdateRecordWriter::create(const std::string& path, mode_t mode) {
    file_.reset();
    pending_.clear();
    path_.clear(); // a name refused below is no update.dat that discard() may remove
    // update.dat never takes the place of a collection, however its name was chosen.
    CopyRules rules;
    rules.mode = mode;
    refuseToReplaceCollection(path, rules);
    path_ = path;
    file_ = std::make_unique<FileReplacement>(path, mode);
}

void UpdateRecordWriter::append(const TUpdateRecord& record) {
    if (!file_) throw EInOutError::fromCode(kFileNotOpen);
    if (file_->size() + pending_.size() + sizeof record > kMaxUpdateFileBytes)
        throw EInOutError(kDiskFull, "the update file grew past " +
                                         std::to_string(kMaxUpdateFileBytes >> 20) +
                                         " MiB, far more than any catalog: the download was stopped");
    pending_.append(reinterpret_cast<const char*>(&record), sizeof record);
    if (pending_.size() >= kBlockBytes) flush();
}

void UpdateRecordWriter::flush() {
    file_->write(pending_.data(), pending_.size());
    pending_.clear();
}

void UpdateRecordWriter::close() {
    if (!file_) return;
    const std::unique_ptr<FileReplacement> file = std::move(file_);
    file->write(pending_.data(), pending_.size());
    pending_.clear();
    file->commit();
}

void UpdateRecordWriter::discard() {
    file_.reset();
    pending_.clear();
    if (path_.empty()) return;
    struct stat st {};
    // Only a file of ours: a link or anything else at the name stays as it is.
    if (::lstat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
        ::unlink(path_.c_str());
}

} // namespace vitrinex::net
