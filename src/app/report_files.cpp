// Reports that list files: by type, the largest, the duplicates, a folder's own files and
// one type's files. Rows and orders are those of the list dialogs when they open.

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>

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
// The rows of a listing: the record of each, whether they are every record of the list
// once, in some order, and the work that makes that order, if any is left to do before
// `at` may be asked.
struct Rows {
    size_t count;
    std::function<quint32(size_t)> at;
    bool everyRecord = false;
    std::function<void()> make{};
};

bool Json(const ReportContext& c) {
    return c.options.format == ReportFormat::Json;
}

// Names of printable ASCII, nearly every name, read the same as host bytes, as UTF-8 and
// as '?'-for-control text: they go out as stored, without a string made for each. A
// backslash is not plain in a host name: the device path shows it as U+FF3C, since a
// backslash there separates folders.
bool PlainAscii(std::string_view bytes) {
    return std::ranges::all_of(bytes, [](char c) { return c >= 0x20 && c < 0x7F && c != '\\'; });
}

bool PlainAscii(QStringView text) {
    return std::ranges::all_of(text,
                               [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; });
}

// The folder cells of rows as a report prints them, worked out once for every folder before
// any row: whether its path is plain and its width. A plain path is copied for each row
// back to front up the folder chain from a compact copy of the folders' names, so no path
// is kept per folder and a chain's few bytes lie close together, not all over the walk's
// name storage. Read-only once made: the threads that format rows share it.
class FolderCells {
public:
    explicit FolderCells(const FileList& list) : m_folders(list.folderCount()) {
        // A folder is registered after its parent, so one pass in index order suffices.
        for (quint32 f = 0; f < m_folders.size(); ++f) {
            Folder& folder = m_folders[f];
            const auto parent = list.parentFolder(f);
            if (!parent) {
                const QString& whole = list.folderWholePath(f);
                folder.parent = kNone;
                folder.width = static_cast<quint32>(whole.size());
                folder.plain = PlainAscii(whole);
                if (folder.plain)
                    keepName(folder, whole.toLatin1().toStdString());
                continue;
            }
            const Folder& up = m_folders[*parent];
            const std::string_view name = list.folderHostName(f);
            const bool plain = PlainAscii(name);
            folder.parent = *parent;
            folder.width = up.width + 1 +
                           static_cast<quint32>(plain ? static_cast<qsizetype>(name.size())
                                                      : platform::DecodeHostName(name).size());
            folder.plain = up.plain && plain;
            if (folder.plain)
                keepName(folder, name);
        }
    }

    bool plain(const FileList& list, const FileRecord& r) const {
        return m_folders[list.folderOf(r)].plain;
    }
    qsizetype width(const FileList& list, const FileRecord& r) const {
        return static_cast<qsizetype>(m_folders[list.folderOf(r)].width);
    }
    // The folder of a record whose folder is plain, as stored.
    void append(const FileList& list, const FileRecord& r, std::string& out) const {
        quint32 f = list.folderOf(r);
        const size_t start = out.size();
        out.resize(start + static_cast<size_t>(m_folders[f].width));
        char* end = out.data() + out.size();
        for (; m_folders[f].parent != kNone; f = m_folders[f].parent) {
            end -= m_folders[f].nameSize;
            std::memcpy(end, m_names.data() + m_folders[f].name, m_folders[f].nameSize);
            *--end = '\\';
        }
        std::memcpy(out.data() + start, m_names.data() + m_folders[f].name, m_folders[f].nameSize);
    }

private:
    static constexpr quint32 kNone = 0xFFFFFFFF;  // a folder given by its whole path
    // Sixteen bytes: one is kept for every folder of a listing of millions of files.
    struct Folder {
        quint32 parent = kNone;
        quint32 name = 0;      // in m_names, plain folders only
        quint32 nameSize = 0;  // its whole path for a folder given so
        quint32 width : 31 = 0;
        quint32 plain : 1 = 0;
    };
    static_assert(sizeof(Folder) == 16);
    void keepName(Folder& folder, std::string_view name) {
        folder.name = static_cast<quint32>(m_names.size());
        folder.nameSize = static_cast<quint32>(name.size());
        m_names += name;
    }

    std::vector<Folder> m_folders;
    std::string m_names;
};

// Formats `count` rows a chunk at a time on up to `threads` threads, this one among them,
// and hands each chunk's bytes to `output` in order, from this thread only: a write that
// kills the process (a closed pipe) does so where it did before. `format(begin, end, out)`
// appends rows [begin, end) to `out`, on several threads at once for different rows.
void FormatInOrder(size_t count, int threads,
                   const std::function<void(size_t, size_t, std::string&)>& format,
                   const ReportOutput& output) {
    constexpr size_t kRows = 1024;
    const size_t chunks = (count + kRows - 1) / kRows;
    const auto formatChunk = [&](size_t c, std::string& out) {
        out.clear();
        format(c * kRows, std::min(count, (c + 1) * kRows), out);
    };
    const auto write = [&](const std::string& bytes) {
        if (!bytes.empty())
            output(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    };
    if (threads < 2 || chunks < 2) {
        std::string out;
        for (size_t c = 0; c < chunks; ++c) {
            formatChunk(c, out);
            write(out);
        }
        return;
    }
    // A ring of chunk buffers: a chunk is formatted only once the one `ring` before it is
    // written, so memory stays a few chunks however long the listing.
    const size_t ring = 2 * static_cast<size_t>(threads);
    std::vector<std::string> buffers(ring);
    std::vector<char> ready(ring, 0);
    std::mutex mutex;
    std::condition_variable changed;
    size_t next = 0, written = 0;
    const auto claimable = [&] { return next < chunks && next < written + ring; };
    // Under the lock on entry and on return.
    const auto formatNext = [&](std::unique_lock<std::mutex>& lock) {
        const size_t c = next++;
        lock.unlock();
        formatChunk(c, buffers[c % ring]);
        lock.lock();
        ready[c % ring] = 1;
    };
    std::vector<std::jthread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back([&] {
            std::unique_lock lock(mutex);
            for (;;) {
                changed.wait(lock, [&] { return next >= chunks || claimable(); });
                if (next >= chunks)
                    return;
                formatNext(lock);
                changed.notify_all();
            }
        });
    std::unique_lock lock(mutex);
    while (written < chunks) {
        if (ready[written % ring]) {
            lock.unlock();
            write(buffers[written % ring]);
            lock.lock();
            ready[written % ring] = 0;
            ++written;
            changed.notify_all();
        } else if (claimable()) {
            formatNext(lock);
        } else {
            changed.wait(lock);
        }
    }
}

// Threads for formatting: a listing's rows are all in memory, so no more than the cores
// (two on one core cost next to nothing, and the way rows pass between threads is the same
// on every machine).
int FormatThreads(const ReportContext& c) {
    const int cores = static_cast<int>(std::max(2u, std::thread::hardware_concurrency()));
    return std::clamp(c.control.threads, 1, cores);
}

// Calls `write` with each row's index and record in order for rows [begin, end), asking
// ahead for the records and names of the rows to come: in size order they lie all over
// memory.
template <typename Write>
void ForEachRow(const FileList& list, const Rows& rows, size_t begin, size_t end, Write write) {
    constexpr size_t kRecordsAhead = 32, kNamesAhead = 16;
    for (size_t i = begin; i < end; ++i) {
        if (i + kRecordsAhead < end)
            __builtin_prefetch(&list[rows.at(i + kRecordsAhead)]);
        if (i + kNamesAhead < end)
            list.prefetchName(list[rows.at(i + kNamesAhead)]);
        write(i, list[rows.at(i)]);
    }
}

void WriteFiles(const ReportContext& c, const FileList& list, const Rows& rows) {
    const FolderCells folders(list);
    if (rows.make)
        rows.make();
    FormatInOrder(
        rows.count, FormatThreads(c),
        [&](size_t begin, size_t end, std::string& out) {
            std::string folder;
            char size[engine::kSizeTextRoom];
            ForEachRow(list, rows, begin, end, [&](size_t i, const FileRecord& r) {
                const std::string_view name = list.hostName(r);
                folder.clear();
                const bool plainName = PlainAscii(name), plainFolder = folders.plain(list, r);
                if (plainFolder)
                    folders.append(list, r, folder);
                if (!plainName || !plainFolder) {
                    // Rare: the writer's own escapes for what is not printable ASCII.
                    JsonWriter json;
                    json.resumeArray(i == 0).beginObject().asciiKey("name");
                    plainName ? json.asciiValue(name) : json.value(list.name(r));
                    json.asciiKey("folder");
                    plainFolder ? json.asciiValue(folder) : json.value(list.folder(r));
                    json.asciiKey("bytes").value(r.size);
                    json.asciiKey("size").asciiValue({size, engine::SizeText(r.size, size)});
                    const QByteArray bytes = json.endObject().take();
                    out.append(bytes.constData(), static_cast<size_t>(bytes.size()));
                    return;
                }
                // Laid out as the writer lays it out, without its bookkeeping for each row.
                out += i == 0 ? R"({"name": )" : R"(, {"name": )";
                JsonWriter::AppendAsciiValue(name, out);
                out += R"(, "folder": )";
                JsonWriter::AppendAsciiValue(folder, out);
                out += R"(, "bytes": )";
                char bytes[24];
                out.append(bytes, std::to_chars(bytes, bytes + sizeof bytes, r.size).ptr);
                out += R"(, "size": ")";
                out.append(size, engine::SizeText(r.size, size));
                out += R"("})";
            });
        },
        c.output);
}

// AlignedTable's layout of File, Size and Folder, written row by row: one pass for the
// columns' widths (beside the making of the rows' order, which they do not depend on),
// one that writes.
void FileRows(const ReportContext& c, const FileList& list, const Rows& rows) {
    const FolderCells folders(list);
    qsizetype widths[3] = {4, 4, 6};  // the headings
    const auto nameWidth = [&list](const FileRecord& r) {
        const std::string_view name = list.hostName(r);
        return PlainAscii(name) ? static_cast<qsizetype>(name.size()) : list.name(r).size();
    };
    const auto widen = [&](const FileRecord& r) {
        widths[0] = std::max(widths[0], nameWidth(r));
        char size[engine::kSizeTextRoom];
        widths[1] = std::max(widths[1], static_cast<qsizetype>(engine::SizeText(r.size, size)));
        widths[2] = std::max(widths[2], folders.width(list, r));
    };
    const int threads = FormatThreads(c);
    {
        // Widths do not depend on the order: with every record listed, each is read where
        // it lies while another thread makes the order.
        std::jthread order;
        if (rows.make && rows.everyRecord && threads > 1)
            order = std::jthread(rows.make);
        else if (rows.make)
            rows.make();
        if (rows.everyRecord)
            for (size_t i = 0; i < list.size(); ++i)
                widen(list[i]);
        else
            for (size_t i = 0; i < rows.count; ++i)
                widen(list[rows.at(i)]);
    }
    const auto pad = [](std::string& line, qsizetype n) {
        if (n > 0)
            line.append(static_cast<size_t>(n), ' ');
    };
    const auto text = [](std::string& line, const QString& cell) {
        line += Printable(cell).toUtf8().toStdString();
    };
    // One row; `name` and `folder` append their cells.
    const auto row = [&](std::string& line, const auto& name, qsizetype nameCells,
                         std::string_view size, const auto& folder) {
        const size_t start = line.size();
        name();
        pad(line, widths[0] - nameCells);
        line += "  ";
        pad(line, widths[1] - static_cast<qsizetype>(size.size()));
        line += size;
        line += "  ";
        folder();
        // Empty cells at the end of a row leave no blanks behind.
        while (line.size() > start && line.back() == ' ')
            line.pop_back();
        line += '\n';
    };
    std::string heading;
    row(
        heading, [&] { heading += "File"; }, 4, "Size", [&] { heading += "Folder"; });
    c.output(QByteArrayView(heading.data(), static_cast<qsizetype>(heading.size())));
    FormatInOrder(
        rows.count, threads,
        [&](size_t begin, size_t end, std::string& line) {
            ForEachRow(list, rows, begin, end, [&](size_t, const FileRecord& r) {
                const std::string_view hostName = list.hostName(r);
                const bool plainName = PlainAscii(hostName);
                const bool plainFolder = folders.plain(list, r);
                const QString name = plainName ? QString() : list.name(r);
                char size[engine::kSizeTextRoom];
                row(
                    line,
                    [&] {
                        if (plainName)
                            line += hostName;
                        else
                            text(line, name);
                    },
                    plainName ? static_cast<qsizetype>(hostName.size()) : name.size(),
                    {size, engine::SizeText(r.size, size)},
                    [&] {
                        if (plainFolder)
                            folders.append(list, r, line);
                        else
                            text(line, list.folder(r));
                    });
            });
        },
        c.output);
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
    json.beginObject().key(key).value(title).key(u"files").beginArray();
    c.output(json.take());
    WriteFiles(c, list, rows);
    c.output("]}\n");
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
    std::vector<engine::SizeRank> order;
    return FileListing(c, u"header", header, search.list(),
                       {search.list().size(), [&order](size_t i) { return order[i].record; }, true,
                        [&] { order = search.largestFirst(); }});
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
