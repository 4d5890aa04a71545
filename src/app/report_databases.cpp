// The object store's databases in the order the Databases dialog opens with.

#include <QDateTime>
#include <QFileInfo>
#include <cstdio>

#include "app/json_writer.h"
#include "app/report_kinds.h"
#include "engine/database_list.h"
#include "engine/text.h"
#include "platform/object_store.h"

namespace dovrane::app {

QStringList ObjectStoreFolders(const Options& options) {
    return options.objectStores.isEmpty() ? platform::DefaultObjectStoreFolders()
                                          : options.objectStores;
}

ReportResult DatabasesReport(const ReportContext& c) {
    bool depthLimited = false;
    const auto records =
        engine::ListDatabases(ObjectStoreFolders(c.options),
                              QFileInfo(c.options.deviceRoot).absoluteFilePath(), &depthLimited);
    if (depthLimited)
        std::fprintf(stderr, "Object store: folders deeper than %d levels were not searched\n",
                     platform::kMaxObjectStoreDepth);
    const engine::DatabaseOrders orders = engine::OrderDatabases(records);
    if (c.options.format == ReportFormat::Json) {
        JsonWriter json;
        json.beginObject().key(u"databases").beginArray();
        for (const quint32 i : orders.byName) {
            const engine::DatabaseRecord& r = records[i];
            json.beginObject();
            json.key(u"name").value(r.name);
            json.key(u"path").value(r.devicePath);
            json.key(u"bytes").value(r.size);
            json.key(u"records");
            if (r.records)
                json.value(*r.records);
            else
                json.null();
            json.key(u"modified")
                .value(
                    QDateTime::fromSecsSinceEpoch(r.modified, Qt::LocalTime).toString(Qt::ISODate));
            json.key(u"modified_text").value(engine::ModifiedText(r.modified));
            json.key(u"oid").value(QStringLiteral("%1:%2").arg(r.oid.volume).arg(r.oid.inode));
            json.endObject();
        }
        json.endArray().endObject();
        return {0, json.finish(), {}};
    }
    QList<QStringList> rows{{QStringLiteral("Database"), QStringLiteral("Size"),
                             QStringLiteral("Records"), QStringLiteral("Last Modified")}};
    for (const quint32 i : orders.byName) {
        const engine::DatabaseRecord& r = records[i];
        rows.append({r.name, engine::SizeText(r.size), engine::RecordsText(r.records),
                     engine::ModifiedText(r.modified)});
    }
    return {0, AlignedTable(rows, {false, true, true, false}), {}};
}

}  // namespace dovrane::app
