#include "photos/PhotoExport.h"

#include "collection/InOutError.h"
#include "collection/SafeFile.h"
#include "photos/PhotoImage.h"
#include "photos/PhotoStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrinex {

CsvPhotoColumn exportPhotos(const OpenCollection& c, const std::string& csvPath,
                            const std::string& photoFolder) {
    const PhotoStore store(c.fileName());
    const PhotoIndex index = store.index();
    const mode_t mode = copyRulesFor(c.fileName()).mode;
    if (::mkdir(photoFolder.c_str(), mode | ((mode & 0444) >> 2)) != 0 && errno != EEXIST)
        throw EInOutError::fromErrno(errno, photoFolder);
    struct stat st {};
    if (::lstat(photoFolder.c_str(), &st) != 0) throw EInOutError::fromErrno(errno, photoFolder);
    if (!S_ISDIR(st.st_mode))
        throw EInOutError(kAccessDenied, "File access denied: " + photoFolder + " is not a folder");
    const QDir csvFolder = QFileInfo(QFile::decodeName(csvPath.c_str())).absoluteDir();
    const QString folder = QFileInfo(QFile::decodeName(photoFolder.c_str())).absoluteFilePath();
    // Each item's field, made once with its copies.
    auto fields = std::make_shared<std::map<std::string, std::string>>();
    for (const auto& item : index.items) {
        std::string field;
        for (const Photo& photo : item.second) {
            const std::string target = photoFolder + "/" + photo.file;
            struct stat there {};
            if (::lstat(target.c_str(), &there) != 0 || !S_ISREG(there.st_mode) ||
                there.st_size != photo.bytes) {
                QByteArray bytes;
                try {
                    bytes = readPhotoFile(store.pathOf(photo));
                } catch (const EPhotoRefused& e) {
                    throw EInOutError(kAccessDenied, e.what());
                }
                FileReplacement copy(target, mode);
                copy.write(bytes.constData(), std::size_t(bytes.size()));
                copy.commit();
            }
            const QString relative =
                csvFolder.relativeFilePath(folder + '/' + QString::fromStdString(photo.file));
            field += (field.empty() ? "" : "|") + QFile::encodeName(relative).toStdString();
        }
        fields->emplace(item.first, std::move(field));
    }
    return [fields](std::string_view itemName) {
        const auto it = fields->find(nameKey(itemName));
        return it == fields->end() ? std::string() : it->second;
    };
}

} // namespace vitrinex
