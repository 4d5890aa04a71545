#include "app/json_writer.h"
#include "app/report_kinds.h"
#include "charts/pie_layout.h"
#include "engine/folder_tree.h"
#include "engine/text.h"

namespace dovrane::app {

using engine::FolderNode;

ReportResult FoldersReport(const ReportContext& context) {
    engine::FolderTree tree;
    const int slices = context.settings.numberOfSlices;
    engine::ScanFolder(context.device, tree, slices, context.control);
    const QString wanted = context.options.path.value_or(QStringLiteral("\\"));
    const FolderNode* folder = engine::FindFolderByPath(tree.root(), wanted);
    if (!folder)
        return {3, {}, QStringLiteral("no folder '%1' on the device").arg(wanted)};

    const quint64 rootTotal = tree.root()->totalSize;
    const auto bySize = folder->childrenBySize();

    if (context.options.format == ReportFormat::Text) {
        QList<QStringList> rows{{QStringLiteral("Folder"), QStringLiteral("Size"),
                                 QStringLiteral("Fol %"), QStringLiteral("Tot %")}};
        for (const FolderNode* child : bySize)
            rows.append({child->name(), engine::SizeText(child->totalSize),
                         engine::ShareText(child->totalSize, folder->totalSize),
                         engine::ShareText(child->totalSize, rootTotal)});
        return {0,
                engine::BuildFolderPath(folder).toUtf8() + '\n' +
                    AlignedTable(rows, {false, true, false, false}),
                {}};
    }

    std::vector<quint64> sizes;
    for (const FolderNode* child : bySize)
        sizes.push_back(child->totalSize);
    const auto chart =
        charts::LayOutFolderChart(sizes, folder->totalSize, folder->otherSize, slices);

    JsonWriter json;
    json.beginObject();
    json.key(u"path").value(engine::BuildFolderPath(folder));
    if (folder->readError)
        json.key(u"read_error").value(true);
    json.key(u"total_bytes").value(folder->totalSize);
    json.key(u"files_bytes").value(folder->filesSize);
    json.key(u"other_bytes").value(folder->otherSize);
    json.key(u"tree_bytes").value(rootTotal);
    json.key(u"entries").beginArray();
    for (const FolderNode* child : bySize) {
        json.beginObject();
        json.key(u"name").value(child->name());
        json.key(u"bytes").value(child->totalSize);
        json.key(u"size").value(engine::SizeText(child->totalSize));
        json.key(u"fol_pct").value(engine::ShareText(child->totalSize, folder->totalSize));
        json.key(u"tot_pct").value(engine::ShareText(child->totalSize, rootTotal));
        if (child->readError)
            json.key(u"read_error").value(true);
        json.endObject();
    }
    json.endArray();
    json.key(u"by_name").beginArray();
    for (const FolderNode* child : folder->childrenByName())
        json.value(child->name());
    json.endArray();
    QStringList names;
    for (const FolderNode* child : bySize)
        names.append(child->name());
    WriteSlices(json, chart, names, context.settings);
    json.endObject();
    return {0, json.finish(), {}};
}

}  // namespace dovrane::app
