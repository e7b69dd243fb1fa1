#pragma once
// Small helpers shared by the collection tests: items, files and their bytes.

#include "collection/FigureRecord.h"
#include "collection/OpenCollection.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <string>

namespace vitrinex::fixtures {

inline vitrinex::NewItemValues item(const std::string& name, const std::string& price = "$  12.50",
                                    const std::string& netChange = "$   0", int quantity = 1) {
    vitrinex::NewItemValues v;
    v.FigureName = name;
    v.Year = "1985";
    v.Series = "Series 1";
    v.Price = price;
    v.NetChange = netChange;
    v.Quantity = quantity;
    v.Condition = "C-9";
    v.CatNum = "CAT-" + std::to_string(name.size());
    v.Comments = "mint on card\r\nfrom the 1985 wave";
    return v;
}

// A collection file by Kenner, 1985-1990, holding `items`, written by the collection code itself.
inline void writeCollection(const QString& path, const std::vector<vitrinex::NewItemValues>& items,
                            const std::string& name = "Heroes") {
    vitrinex::OpenCollection c;
    c.CreateCollection(QFile::encodeName(path).toStdString(), name, "Kenner", "1985-1990");
    for (const vitrinex::NewItemValues& v : items)
        if (c.InsertNewItem(v)) qFatal("the fixture's names repeat");
    c.SaveCollection();
}

inline vitrinex::TFigureRecord record(const std::string& name, const std::string& price = "$12.5",
                                      const std::string& netChange = "$0", int quantity = 1) {
    vitrinex::TFigureRecord r = vitrinex::blankFigureRecord();
    r.FigureName.assign(name);
    r.Price.assign(price);
    r.NetChange.assign(netChange);
    r.Quantity = quantity;
    return r;
}

inline QByteArray readBytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

inline void writeBytes(const std::string& path, const QByteArray& bytes) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", path.c_str());
}

// A file image: the header, then the records, exactly as given.
inline QByteArray fileImage(const vitrinex::TCollectionHeader& header,
                            const std::vector<vitrinex::TFigureRecord>& records) {
    QByteArray bytes(reinterpret_cast<const char*>(&header), sizeof header);
    for (const auto& r : records)
        bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
    return bytes;
}

inline vitrinex::TCollectionHeader header(const std::string& name = "Heroes") {
    vitrinex::TCollectionHeader h = vitrinex::blankCollectionHeader();
    h.CollectionName.assign(name);
    h.LastUpdate.assign("New Collection");
    h.Brand.assign("Kenner");
    h.CollectionYear.assign("1985-1990");
    return h;
}

// Names of the tree in pre-order, with each node's children, so that two trees of the same shape
// give the same text.
inline QStringList shapeOf(const vitrinex::OpenCollection& c) {
    QStringList out;
    c.forEachPreOrder([&out](const vitrinex::TFigureNode& n) {
        auto name = [](const vitrinex::TFigureNode* x) {
            return x ? QString::fromStdString(x->Record.FigureName.str()) : QStringLiteral("-");
        };
        out << name(&n) + "(" + name(n.Left) + "," + name(n.Right) + ")";
    });
    return out;
}

// Files in the folder other than the ones named.
inline QStringList strayFiles(const QString& folder, const QStringList& expected) {
    QStringList found = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& e : expected)
        found.removeAll(e);
    return found;
}

} // namespace vitrinex::fixtures

namespace fixtures = vitrinex::fixtures;
