// Reports that list files: by type, the largest, the duplicates, a folder's own files and
// one type's files. Rows and orders are those of the list dialogs when they open.

#include <algorithm>
#include <numeric>
#include <string>

#include "app/json_writer.h"
#include "app/report_kinds.h"
#include "charts/pie_layout.h"
#include "engine/file_list.h"
#include "engine/file_search.h"
#include "engine/file_types.h"
#include "engine/folder_tree.h"
#include "engine/text.h"
#include "platform/name_codec.h"

namespace dovrane::app {
namespace {

using engine::FileList;
using engine::FileRecord;
// The rows of a listing: the record of each, and whether they are every record of the
// list once, in some order.
struct Rows {
    size_t count;
    std::function<quint32(size_t)> at;
    bool everyRecord = false;
};

bool Json(const ReportContext& c) {
    return c.options.format == ReportFormat::Json;
}

// Names of printable ASCII, nearly every name, read the same as host bytes, as UTF-8 and
// as '?'-for-control text: they go out as stored, without a string made for each.
bool PlainAscii(std::string_view bytes) {
    return std::ranges::all_of(bytes, [](char c) { return c >= 0x20 && c < 0x7F; });
}

bool PlainAscii(QStringView text) {
    return std::ranges::all_of(text,
                               [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; });
}

// Text known to be ASCII (a size, a heading), without a conversion.
void AppendAscii(const QString& text, std::string& out) {
    for (const QChar c : text)
        out += static_cast<char>(c.unicode());
}

// The name and folder cells of rows as a report prints them. A folder's width and whether
// it is plain are worked out once per folder; its bytes are copied down the folder chain
// from the walk's name storage for each row, so that no path is kept per file or folder.
class FileCells {
public:
    explicit FileCells(const FileList& list)
        : m_list(list), m_folders(list.folderCount(), {-1, false}) {}

    bool plainName(const FileRecord& r) const { return PlainAscii(m_list.hostName(r)); }
    qsizetype nameWidth(const FileRecord& r) const {
        const std::string_view name = m_list.hostName(r);
        return PlainAscii(name) ? static_cast<qsizetype>(name.size()) : m_list.name(r).size();
    }
    bool plainFolder(const FileRecord& r) { return folder(m_list.folderOf(r)).plain; }
    qsizetype folderWidth(const FileRecord& r) { return folder(m_list.folderOf(r)).width; }
    // The folder of a plain folder as stored.
    void appendFolder(const FileRecord& r, std::string& out) {
        m_chain.clear();
        quint32 f = m_list.folderOf(r);
        for (auto parent = m_list.parentFolder(f); parent; parent = m_list.parentFolder(f)) {
            m_chain.push_back(f);
            f = *parent;
        }
        AppendAscii(m_list.folderWholePath(f), out);
        for (auto it = m_chain.rbegin(); it != m_chain.rend(); ++it) {
            out += '\\';
            out += m_list.folderHostName(*it);
        }
    }

private:
    struct Folder {
        qsizetype width;  // -1 until worked out
        bool plain;
    };
    // Up the chain to the first folder worked out, then down again: no recursion, however
    // deep the tree.
    const Folder& folder(quint32 f) {
        m_chain.clear();
        for (quint32 at = f; m_folders[at].width < 0;) {
            m_chain.push_back(at);
            const auto parent = m_list.parentFolder(at);
            if (!parent)
                break;
            at = *parent;
        }
        for (auto it = m_chain.rbegin(); it != m_chain.rend(); ++it) {
            if (const auto parent = m_list.parentFolder(*it)) {
                const Folder& up = m_folders[*parent];
                const std::string_view name = m_list.folderHostName(*it);
                const bool plain = PlainAscii(name);
                const qsizetype width = plain ? static_cast<qsizetype>(name.size())
                                              : platform::DecodeHostName(name).size();
                m_folders[*it] = {up.width + 1 + width, up.plain && plain};
            } else {
                const QString& whole = m_list.folderWholePath(*it);
                m_folders[*it] = {whole.size(), PlainAscii(whole)};
            }
        }
        return m_folders[f];
    }

    const FileList& m_list;
    std::vector<Folder> m_folders;
    std::vector<quint32> m_chain;
};

// Bytes for the context's output, handed over a block at a time.
class Stream {
public:
    explicit Stream(const ReportOutput& output) : m_output(output) { m_buffer.reserve(kBlock * 2); }
    ~Stream() { flush(); }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    std::string& buffer() { return m_buffer; }
    void append(QByteArrayView bytes) {
        m_buffer.append(bytes.data(), static_cast<size_t>(bytes.size()));
        rowDone();
    }
    void rowDone() {
        if (m_buffer.size() >= kBlock)
            flush();
    }
    void flush() {
        if (!m_buffer.empty())
            m_output(QByteArrayView(m_buffer.data(), static_cast<qsizetype>(m_buffer.size())));
        m_buffer.clear();
    }

private:
    static constexpr size_t kBlock = 1 << 16;
    const ReportOutput& m_output;
    std::string m_buffer;
};

// Calls `write` with each row's index and record in order, asking ahead for the records
// and names of the rows to come: in size order they lie all over memory.
template <typename Write>
void ForEachRow(const FileList& list, const Rows& rows, Write write) {
    constexpr size_t kRecordsAhead = 32, kNamesAhead = 16;
    for (size_t i = 0; i < rows.count; ++i) {
        if (i + kRecordsAhead < rows.count)
            __builtin_prefetch(&list[rows.at(i + kRecordsAhead)]);
        if (i + kNamesAhead < rows.count)
            list.prefetchName(list[rows.at(i + kNamesAhead)]);
        write(i, list[rows.at(i)]);
    }
}

void WriteFiles(const ReportContext& c, JsonWriter& json, const FileList& list, const Rows& rows) {
    Stream out(c.output);
    FileCells cells(list);
    std::string folder, size;
    json.beginArray();
    ForEachRow(list, rows, [&](size_t i, const FileRecord& r) {
        json.beginObject().asciiKey("name");
        if (cells.plainName(r))
            json.asciiValue(list.hostName(r));
        else
            json.value(list.name(r));
        json.asciiKey("folder");
        if (cells.plainFolder(r)) {
            folder.clear();
            cells.appendFolder(r, folder);
            json.asciiValue(folder);
        } else {
            json.value(list.folder(r));
        }
        json.asciiKey("bytes").value(r.size);
        size.clear();
        AppendAscii(engine::SizeText(r.size), size);
        json.asciiKey("size").asciiValue(size);
        json.endObject();
        if (i % 256 == 255)
            out.append(json.take());
    });
    json.endArray();
    out.append(json.take());
}

// AlignedTable's layout of File, Size and Folder, written row by row: one pass for the
// columns' widths, one that writes.
void FileRows(const ReportContext& c, const FileList& list, const Rows& rows) {
    FileCells cells(list);
    qsizetype widths[3] = {4, 4, 6};  // the headings
    const auto widen = [&](const FileRecord& r) {
        widths[0] = std::max(widths[0], cells.nameWidth(r));
        widths[1] = std::max(widths[1], engine::SizeText(r.size).size());
        widths[2] = std::max(widths[2], cells.folderWidth(r));
    };
    // Widths do not depend on the order: every record is read where it lies.
    if (rows.everyRecord)
        for (size_t i = 0; i < list.size(); ++i)
            widen(list[i]);
    else
        for (size_t i = 0; i < rows.count; ++i)
            widen(list[rows.at(i)]);
    Stream out(c.output);
    std::string& line = out.buffer();
    const auto pad = [&line](qsizetype n) {
        if (n > 0)
            line.append(static_cast<size_t>(n), ' ');
    };
    const auto row = [&](const auto& name, qsizetype nameWidth, const QString& size,
                         const auto& folder) {
        const size_t start = line.size();
        name();
        pad(widths[0] - nameWidth);
        line += "  ";
        pad(widths[1] - size.size());
        AppendAscii(size, line);
        line += "  ";
        folder();
        // Empty cells at the end of a row leave no blanks behind.
        while (line.size() > start && line.back() == ' ')
            line.pop_back();
        line += '\n';
        out.rowDone();
    };
    const auto text = [&line](const QString& cell) {
        return [&line, &cell] { line += Printable(cell).toUtf8().toStdString(); };
    };
    const QString file = QStringLiteral("File"), folderHeading = QStringLiteral("Folder");
    row(text(file), 4, QStringLiteral("Size"), text(folderHeading));
    ForEachRow(list, rows, [&](size_t, const FileRecord& r) {
        const std::string_view hostName = list.hostName(r);
        const bool plainName = PlainAscii(hostName);
        const bool plainFolder = cells.plainFolder(r);
        const QString name = plainName ? QString() : list.name(r);
        const QString folder = plainFolder ? QString() : list.folder(r);
        row(
            [&] {
                if (plainName)
                    line += hostName;
                else
                    text(name)();
            },
            plainName ? static_cast<qsizetype>(hostName.size()) : name.size(),
            engine::SizeText(r.size),
            [&] {
                if (plainFolder)
                    cells.appendFolder(r, line);
                else
                    text(folder)();
            });
    });
}

ReportResult NoFolder(const QString& path) {
    return {3, {}, QStringLiteral("no folder '%1' on the device").arg(path)};
}

// A file listing headed by one named value: {"<key>": s, "files": [...]} or a title line,
// written to the context's output as it is made.
ReportResult FileListing(const ReportContext& c, QStringView key, const QString& title,
                         const FileList& list, const Rows& rows) {
    if (!Json(c)) {
        c.output(title.toUtf8() + '\n');
        FileRows(c, list, rows);
        return {};
    }
    JsonWriter json;
    json.beginObject().key(key).value(title).key(u"files");
    WriteFiles(c, json, list, rows);
    json.endObject();
    c.output(json.finish());
    return {};
}

ReportResult FileListing(const ReportContext& c, QStringView key, const QString& title,
                         const FileList& list, const std::vector<quint32>& rows) {
    return FileListing(c, key, title, list, {rows.size(), [&rows](size_t i) { return rows[i]; }});
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
    const QString header = engine::FileSearch::HeaderText(start);
    if (!largest)
        return FileListing(c, u"header", header, search.list(), search.results());
    const std::vector<engine::SizeRank> order = search.largestFirst();
    return FileListing(c, u"header", header, search.list(),
                       {order.size(), [&order](size_t i) { return order[i].record; }, true});
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
