// Reports that list files: by type, the largest, the duplicates, a folder's own files and
// one type's files. Rows and orders are those of the list dialogs when they open.

#include <numeric>

#include "app/json_writer.h"
#include "app/report_kinds.h"
#include "charts/pie_layout.h"
#include "engine/file_list.h"
#include "engine/file_search.h"
#include "engine/file_types.h"
#include "engine/folder_tree.h"
#include "engine/text.h"

namespace dovrane::app {
namespace {

using engine::FileList;

bool Json(const ReportContext& c) {
    return c.options.format == ReportFormat::Json;
}

void WriteFiles(JsonWriter& json, const FileList& list, const std::vector<quint32>& rows) {
    json.beginArray();
    for (const quint32 i : rows) {
        const engine::FileRecord& r = list[i];
        json.beginObject();
        json.key(u"name").value(list.name(r));
        json.key(u"folder").value(list.folder(r));
        json.key(u"bytes").value(r.size);
        json.key(u"size").value(engine::SizeText(r.size));
        json.endObject();
    }
    json.endArray();
}

QByteArray FileRows(const FileList& list, const std::vector<quint32>& rows) {
    static const QStringList kHeader{QStringLiteral("File"), QStringLiteral("Size"),
                                     QStringLiteral("Folder")};
    const auto count = static_cast<qsizetype>(rows.size()) + 1;
    return AlignedTable(count, {false, true, false}, [&](qsizetype row, qsizetype column) {
        if (row == 0)
            return kHeader[column];
        const engine::FileRecord& r = list[rows[static_cast<size_t>(row - 1)]];
        return column == 0 ? list.name(r) : column == 1 ? engine::SizeText(r.size) : list.folder(r);
    });
}

ReportResult NoFolder(const QString& path) {
    return {3, {}, QStringLiteral("no folder '%1' on the device").arg(path)};
}

// A file listing headed by one named value: {"<key>": s, "files": [...]} or a title line.
ReportResult FileListing(const ReportContext& c, QStringView key, const QString& title,
                         const FileList& list, const std::vector<quint32>& rows) {
    if (!Json(c))
        return {0, title.toUtf8() + '\n' + FileRows(list, rows), {}};
    JsonWriter json;
    json.beginObject().key(key).value(title).key(u"files");
    WriteFiles(json, list, rows);
    json.endObject();
    return {0, json.finish(), {}};
}

ReportResult Search(const ReportContext& c, bool largest) {
    QString start = QStringLiteral("\\");
    if (c.options.path) {
        const auto resolved = engine::ResolveFolderPath(c.device, *c.options.path);
        if (!resolved)
            return NoFolder(*c.options.path);
        start = *resolved;
    }
    engine::FileSearch search;
    search.SearchFiles(c.device, start, largest, c.control);
    return FileListing(c, u"header", engine::FileSearch::HeaderText(start), search.list(),
                       search.results());
}

}  // namespace

ReportResult TypesReport(const ReportContext& c) {
    engine::FileTypeTable table;
    table.AggregateFileTypes(c.device, c.control);
    const int slices = c.settings.numberOfSlices;
    table.ComputeFileTypeTotals(slices);
    const auto& bySize = table.fileTypesBySize();
    if (!Json(c)) {
        QList<QStringList> rows{
            {QStringLiteral("Type"), QStringLiteral("Size"), QStringLiteral("Total %")}};
        for (const engine::FileTypeStat* t : bySize)
            rows.append({t->name, engine::SizeText(t->totalSize),
                         engine::ShareText(t->totalSize, table.totalSize)});
        return {0, AlignedTable(rows, {false, true, false}), {}};
    }
    std::vector<quint64> sizes;
    for (const engine::FileTypeStat* t : bySize)
        sizes.push_back(t->totalSize);
    const auto chart = charts::LayOutChart(sizes, table.totalSize, table.otherSize, slices);

    JsonWriter json;
    json.beginObject();
    json.key(u"total_bytes").value(table.totalSize);
    json.key(u"other_bytes").value(table.otherSize);
    json.key(u"types").beginArray();
    for (const engine::FileTypeStat* t : bySize) {
        json.beginObject();
        json.key(u"name").value(t->name);
        json.key(u"files").value(t->fileCount);
        json.key(u"bytes").value(t->totalSize);
        json.key(u"size").value(engine::SizeText(t->totalSize));
        json.key(u"total_pct").value(engine::ShareText(t->totalSize, table.totalSize));
        json.endObject();
    }
    json.endArray();
    json.key(u"by_name").beginArray();
    for (const engine::FileTypeStat* t : table.fileTypesByName())
        json.value(t->name);
    json.endArray();
    json.key(u"met").beginArray();
    for (const auto& t : table.fileTypes())
        json.value(t->name);
    json.endArray();
    QStringList names;
    for (const engine::FileTypeStat* t : bySize)
        names.append(t->name);
    WriteSlices(json, chart, names, c.settings);
    json.endObject();
    return {0, json.finish(), {}};
}

ReportResult LargestReport(const ReportContext& c) {
    return Search(c, true);
}

ReportResult DuplicatesReport(const ReportContext& c) {
    return Search(c, false);
}

ReportResult FilesReport(const ReportContext& c) {
    const QString wanted = c.options.path.value_or(QStringLiteral("\\"));
    const auto folder = engine::ResolveFolderPath(c.device, wanted);
    if (!folder)
        return NoFolder(wanted);
    const FileList list = engine::ListFolderFiles(c.device, *folder);
    std::vector<quint32> met(list.size());
    std::iota(met.begin(), met.end(), 0u);
    return FileListing(c, u"folder", *folder, list, engine::FilesBySize(list, met));
}

ReportResult TypeFilesReport(const ReportContext& c) {
    engine::FileTypeTable table;
    table.AggregateFileTypes(c.device, c.control);
    const QString name = c.options.type.value_or(QString());
    const engine::FileTypeStat* type = table.FindFileType(name);
    if (!type)
        return {3, {}, QStringLiteral("no file of type '%1' on the device").arg(name)};
    return FileListing(c, u"type", name, table.list(), type->filesBySize);
}

}  // namespace dovrane::app
