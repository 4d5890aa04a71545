#pragma once
// A real tree, the changes a week brings to it, and what a growth comparison must say of
// them, worked out from the list of changes alone: files added, grown and shrunk, a folder
// removed, another renamed, a hard link added to an existing file.

#include <QDir>
#include <map>
#include <string>

#include "support/temp_tree.h"

namespace dovrane::test {

using TreeFiles = std::map<std::string, quint64>;  // relative path -> bytes the sums count

inline TreeFiles MakeWeekOldTree(const TempTree& t) {
    const TreeFiles files{
        {"docs/a.txt", 100},      {"docs/b.txt", 200}, {"docs/keep.dat", 50}, {"media/v.mp4", 1000},
        {"media/old/x.bin", 300}, {"gone/g1", 10},     {"gone/sub/g2", 20},   {"ren/r1", 5},
        {"top.log", 30}};
    for (const char* f : {"docs", "media", "media/old", "gone", "gone/sub", "ren"})
        t.folder(f);
    for (const auto& [path, size] : files)
        t.file(path, static_cast<off_t>(size));
    return files;
}

// The week's changes, made on disk; the files as they are after it.
inline TreeFiles ChangeTree(const TempTree& t, TreeFiles files) {
    const auto set = [&](const std::string& path, quint64 size) {
        t.file(path, static_cast<off_t>(size));
        files[path] = size;
    };
    set("docs/c.txt", 1234);
    set("docs/a.txt", 5000);
    set("docs/b.txt", 40);
    QDir(t.root() + "/gone").removeRecursively();
    files.erase("gone/g1");
    files.erase("gone/sub/g2");
    ::rename(t.host("ren").c_str(), t.host("moved").c_str());
    files.erase("ren/r1");
    files["moved/r1"] = 5;
    ::link(t.host("docs/keep.dat").c_str(), t.host("docs/link.dat").c_str());
    // Whichever name the folder lists first carries the bytes.
    const QStringList order = QDir(t.root() + "/docs").entryList(QDir::Files, QDir::Unsorted);
    const bool linkFirst = order.indexOf("link.dat") < order.indexOf("keep.dat");
    files["docs/link.dat"] = linkFirst ? 50 : 0;
    files["docs/keep.dat"] = linkFirst ? 0 : 50;
    return files;
}

struct GrowthRow {
    quint64 then = 0, now = 0, added = 0, removed = 0;
};

// The root's rows by name ("\"In Folder\"" for the files lying in it).
inline std::map<QString, GrowthRow> ExpectedRootRows(const TreeFiles& before,
                                                     const TreeFiles& after) {
    std::map<QString, GrowthRow> rows;
    const auto top = [](const std::string& path) {
        const size_t slash = path.find('/');
        return slash == std::string::npos ? QString("\"In Folder\"")
                                          : QString::fromStdString(path.substr(0, slash));
    };
    for (const auto& [path, size] : before) {
        rows[top(path)].then += size;
        rows[top(path)].removed += !after.contains(path);
    }
    for (const auto& [path, size] : after) {
        rows[top(path)].now += size;
        rows[top(path)].added += !before.contains(path);
    }
    return rows;
}

// "\folder\name then now" for every file that is new or larger, sorted.
inline QStringList ExpectedGrownFiles(const TreeFiles& before, const TreeFiles& after) {
    QStringList grown;
    for (const auto& [path, size] : after) {
        const quint64 was = before.contains(path) ? before.at(path) : 0;
        if (size > was)
            grown << QStringLiteral("\\%1 %2 %3")
                         .arg(QString::fromStdString(path).replace('/', '\\'))
                         .arg(was)
                         .arg(size);
    }
    grown.sort();
    return grown;
}

}  // namespace dovrane::test
