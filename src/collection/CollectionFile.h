#pragma once
// Reading and writing collection files: a header record, then item records, 1324 bytes each.
// Writing replaces the file atomically where that keeps the file's owner, group and links, and
// otherwise rewrites it in place under a journal of its old content; either way a failure or a crash
// leaves the previous content. Readers and writers wait for a program that holds the file's CollectionLock.

#include "collection/CollectionLock.h"
#include "collection/FigureRecord.h"
#include "collection/SafeFile.h"

#include <cstddef>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vitrinex {

// What is left of a last record that the end of the file cut short: its bytes, zeros after them.
using TornRecord = std::function<void(const TFigureRecord& partial, std::size_t bytes)>;

// Reads `path`: the header, then every whole item record in file order, handed to `onRecord`.
// Throws EInOutError; a file whose length is no multiple of 1324 hands over its whole records and
// then its torn last one to `onTorn`, or without one throws "Read beyond end of file". A file too
// short for a header throws that too. Anything but a regular file is refused with "File access
// denied" without waiting on it. `identity`, when given, receives the identity of the file read.
void readCollectionFile(const std::string& path, TCollectionHeader& header,
                        const std::function<void(const TFigureRecord&)>& onRecord,
                        FileIdentity* identity = nullptr, const TornRecord& onTorn = nullptr);

// Takes the item records of a file as it is read, straight into memory of its own.
class RecordReceiver {
public:
    virtual ~RecordReceiver() = default;
    // How many whole item records the file holds; called once, before any record is read.
    virtual void expect(std::size_t records) = 0;
    // Up to `wanted` places for the next records: their addresses go to `places`; returns how many.
    virtual std::size_t room(TFigureRecord** places, std::size_t wanted) = 0;
    // The first `count` of the places last given now hold the next records, in file order.
    virtual void received(std::size_t count) = 0;
    // The file ends `bytes` into its last record (see TornRecord); by default "Read beyond end of file".
    virtual void torn(const TFigureRecord& partial, std::size_t bytes);
};

// Reads `path` as readCollectionFile does, handing the item records to `receiver`.
void readCollectionFile(const std::string& path, TCollectionHeader& header, RecordReceiver& receiver,
                        FileIdentity* identity = nullptr);

// Writes `header`, then the records `next` yields until it returns nullptr, skipping deleted records.
// The link bytes are written as zeros. Usually the file is replaced atomically (a temporary file in the
// same folder, flushed to disk, renamed over the old one). A file that a rename would change (another
// owner or group, more than one link, a folder that cannot take the temporary file) is rewritten in
// place instead, under a journal of its old content kept beside it (or, when its folder takes no new
// file, in the user's data folder) and flushed before the file is touched; the journal goes once the
// new content is flushed. On any failure the old content stays (or, if even putting it back failed,
// the message names the journal), no temporary file is left and EInOutError is thrown. Returns the
// identity of the file as written.
FileIdentity writeCollectionFile(const std::string& path, const TCollectionHeader& header,
                                 const std::function<const TFigureRecord*()>& next);

// The bytes writeCollectionFile writes, for a writer of another kind. `header` and `next` must
// outlive the function returned.
std::function<void(const ByteSink&)> collectionFileContent(const TCollectionHeader& header,
                                                           const std::function<const TFigureRecord*()>& next);

// A rewrite in place that was cut short (the program killed, the machine down) leaves its journal:
// puts the file back as it was before that save and removes the journal. Returns true when it did.
// Throws EInOutError when the old content cannot be put back.
bool recoverInterruptedSave(const std::string& path);

// Adds `records` to the end of the record file `path` (created when missing): the file is replaced
// by a temporary file holding its old bytes and the new ones, a link at that name replaced, never
// followed. Created readable by its owner only. Throws EInOutError.
void appendRecords(const std::string& path, const std::vector<TFigureRecord>& records);

// Replaces `path` with the bytes `produce` hands to its sink, in the same way and with the same
// guarantees as writeCollectionFile: all or nothing, EInOutError on failure (also when `produce`
// throws it). Returns the identity of the file as written.
FileIdentity writeFileAtomically(const std::string& path,
                                 const std::function<void(const ByteSink&)>& produce);

} // namespace vitrinex
