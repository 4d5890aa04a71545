#pragma once
// Every file of the device grouped by type (the text after the last dot), with sums, the
// order the types were first met, by size and by name, and "Other" for the chart.
//
// The table owns every record (one FileList for all types); a FileTypeStat holds indexes
// into it. Later links of a hard-linked file are listed under their type but add nothing.

#include <QHash>
#include <QString>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/file_list.h"
#include "engine/walk.h"

namespace dovrane::platform {
class Device;
}

namespace dovrane::engine {

// "Generic" without a dot; else everything after the last dot, case kept ("" after a
// trailing dot).
QString FileTypeOf(QStringView fileName);

struct FileTypeStat {
    QString name;
    quint64 totalSize = 0;       // counted members, all 64 bits
    std::vector<quint32> files;  // records in the order met
    std::vector<quint32> filesBySize;
    std::vector<quint32> filesByName;

    quint32 totalSizeHigh() const { return static_cast<quint32>(totalSize >> 32); }
    quint32 totalSizeLow() const { return static_cast<quint32>(totalSize); }

    void SortFilesBySize(const FileList& list);
    void SortFilesByName(const FileList& list);
};

// Drops every file whose name, without regard to case, is the only one of its kind in
// `byName` (which is in name order, so equal names are neighbours).
void KeepDuplicates(const FileList& list, std::vector<quint32>& byName);

class FileTypeTable {
public:
    // Walks the whole device; returns false when stopped (the table is then partial).
    bool AggregateFileTypes(platform::Device& device, const WalkControl& control);
    // Grand total and "Other" for `numberOfSlices`; again after the setting changes.
    void ComputeFileTypeTotals(int numberOfSlices);

    const FileList& list() const { return m_list; }
    // In the order each type's first file was met.
    const std::vector<std::unique_ptr<FileTypeStat>>& fileTypes() const { return m_types; }
    const std::vector<FileTypeStat*>& fileTypesBySize() const { return m_bySize; }
    const std::vector<FileTypeStat*>& fileTypesByName() const { return m_byName; }
    // Exact, with case; null when no file has that type.
    const FileTypeStat* FindFileType(const QString& name) const;

    quint64 totalSize = 0;
    quint64 otherSize = 0;

private:
    FileTypeStat* typeFor(std::string_view hostName);
    void SortFileTypesByName();
    void SortFileTypesBySize();
    friend class TypeCollector;

    FileList m_list;
    std::vector<std::unique_ptr<FileTypeStat>> m_types;
    std::vector<FileTypeStat*> m_bySize;
    std::vector<FileTypeStat*> m_byName;
    QHash<QString, FileTypeStat*> m_index;
    std::unordered_map<std::string, FileTypeStat*> m_byHostType;  // the walk's look-up
    FileTypeStat* m_lastType = nullptr;
    std::string_view m_lastHostType;  // the key of m_lastType in m_byHostType
};

}  // namespace dovrane::engine
