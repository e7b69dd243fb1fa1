#include "collection/ValueHistory.h"

#include "collection/CollectionData.h"
#include "collection/InOutError.h"
#include "collection/SafeFile.h"

#include <QDateTime>
#include <QLocale>

#include <charconv>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrinex {
namespace {

// One point a line: time, value, items, updated, separated by tabs.
std::string historyFile(const std::string& folder) {
    return folder + "/history";
}

// Far more than kValuePointsKept lines; a larger file is not ours and is read no further.
constexpr std::size_t kMaxHistorySize = std::size_t(4) << 20;

std::string readHistoryBytes(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return {};
    if (!S_ISREG(st.st_mode))
        throw EInOutError(kAccessDenied, "File access denied: " + path + " is no regular file");
    const int fd = openRegularFile(path);
    std::string text;
    char buffer[65536];
    while (text.size() < kMaxHistorySize) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

bool readNumber(const std::string& text, std::int32_t& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

std::vector<ValuePoint> parse(const std::string& text) {
    std::vector<ValuePoint> points;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        ValuePoint p;
        std::string items, updated;
        if (!std::getline(fields, p.time, '\t') || !std::getline(fields, p.value, '\t') ||
            !std::getline(fields, items, '\t') || !std::getline(fields, updated) ||
            !readNumber(items, p.items) || !readNumber(updated, p.updated) ||
            !QDateTime::fromString(QString::fromStdString(p.time), Qt::ISODate).isValid())
            continue;
        points.push_back(std::move(p));
    }
    return points;
}

} // namespace

std::vector<ValuePoint> readValueHistory(const std::string& collectionPath) {
    return parse(readHistoryBytes(historyFile(collectionDataFolder(collectionPath, false))));
}

void addValuePoint(const OpenCollection& c) {
    const std::string folder = collectionDataFolder(c.fileName(), true);
    std::vector<ValuePoint> points = parse(readHistoryBytes(historyFile(folder)));
    points.push_back({QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString(), c.valueText(),
                      c.totals().ItemCount, c.totals().UpdatedCount});
    const std::size_t first = points.size() > kValuePointsKept ? points.size() - kValuePointsKept : 0;
    std::string text;
    for (std::size_t i = first; i < points.size(); ++i)
        text += points[i].time + '\t' + points[i].value + '\t' + std::to_string(points[i].items) + '\t' +
                std::to_string(points[i].updated) + '\n';
    FileReplacement file(historyFile(folder), copyRulesFor(c.fileName()).mode);
    file.write(text.data(), text.size());
    file.commit();
}

double valueAmount(const ValuePoint& point) {
    const std::string& v = point.value;
    const QString amount = QString::fromStdString(v.starts_with('$') ? v.substr(1) : v);
    bool ok = false;
    // Amounts are written with the system's decimal separator.
    double value = QLocale::system().toDouble(amount, &ok);
    if (!ok) value = QLocale::c().toDouble(amount, &ok);
    return ok ? value : 0.0;
}

} // namespace vitrinex
