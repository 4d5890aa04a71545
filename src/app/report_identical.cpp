// The files whose bytes are identical, largest waste first, as the Identical Files list
// groups them.

#include "app/json_writer.h"
#include "app/report_kinds.h"
#include "engine/file_list.h"
#include "engine/file_search.h"
#include "engine/identical_files.h"
#include "engine/text.h"
#include "platform/content_reader.h"

namespace dovrane::app {

ReportResult IdenticalReport(const ReportContext& c) {
    QString start = QStringLiteral("\\");
    if (c.options.path) {
        const auto resolved = engine::ResolveFolderPath(c.device, *c.options.path);
        if (!resolved)
            return {3, {}, QStringLiteral("no folder '%1' on the device").arg(*c.options.path)};
        start = *resolved;
    }
    engine::FileSearch search;
    search.SearchFiles(c.device, start, true, c.control);
    const engine::FileList& list = search.list();
    const auto reader = platform::MakeContentReader(c.device);
    const engine::IdenticalResult found =
        engine::FindIdenticalFiles(list, search.allFiles().files, *reader)
            .value_or(engine::IdenticalResult{});

    if (c.options.format == ReportFormat::Json) {
        JsonWriter json;
        json.beginObject().key(u"groups").beginArray();
        for (const engine::IdenticalGroup& g : found.groups) {
            json.beginObject();
            json.key(u"bytes").value(g.size);
            json.key(u"wasted_bytes").value(g.wastedBytes());
            json.key(u"files").beginArray();
            for (const quint32 i : g.files) {
                json.beginObject();
                json.key(u"name").value(list.name(list[i]));
                json.key(u"folder").value(list.folder(list[i]));
                json.key(u"bytes").value(list[i].size);
                json.endObject();
            }
            json.endArray().endObject();
        }
        json.endArray().key(u"wasted_bytes").value(found.wastedBytes).endObject();
        return {0, json.finish(), {}};
    }
    // One block a group: its heading, then its files as the list shows them.
    QByteArray out;
    for (const engine::IdenticalGroup& g : found.groups) {
        out += QStringLiteral("%1 files of %2, %3 wasted\n")
                   .arg(g.files.size())
                   .arg(engine::SizeText(g.size), engine::SizeText(g.wastedBytes()))
                   .toUtf8();
        QList<QStringList> rows{
            {QStringLiteral("File"), QStringLiteral("Size"), QStringLiteral("Folder")}};
        for (const quint32 i : g.files)
            rows.append({list.name(list[i]), engine::SizeText(list[i].size), list.folder(list[i])});
        out += AlignedTable(rows, {false, true, false}) + '\n';
    }
    out += QStringLiteral("Wasted: %1 (%2 bytes)\n")
               .arg(engine::SizeText(found.wastedBytes))
               .arg(found.wastedBytes)
               .toUtf8();
    return {0, out, {}};
}

}  // namespace dovrane::app
