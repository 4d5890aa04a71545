#include "engine/database_list.h"

#include <QDateTime>
#include <numeric>

#include "engine/orders.h"
#include "platform/object_store.h"

namespace dovrane::engine {

std::vector<DatabaseRecord> ListDatabases(const QStringList& folders, const QString& deviceRoot,
                                          bool* depthLimited) {
    platform::DatabaseListing listing = platform::FindDatabases(folders, deviceRoot);
    if (depthLimited)
        *depthLimited = listing.depthLimited;
    std::vector<DatabaseRecord> out;
    out.reserve(listing.databases.size());
    for (platform::DatabaseInfo& db : listing.databases) {
        DatabaseRecord r;
        r.records = db.records;
        r.name = std::move(db.name);
        r.location = std::move(db.location);
        r.devicePath = std::move(db.devicePath);
        r.size = db.size;
        // Whole seconds, rounded down also before 1970.
        r.modified = db.modified >= 0 ? db.modified / 1000000000
                                      : -((-db.modified + 999999999) / 1000000000);
        r.oid = db.oid;
        out.push_back(std::move(r));
    }
    return out;
}

DatabaseOrders OrderDatabases(const std::vector<DatabaseRecord>& records) {
    std::vector<quint32> met(records.size());
    std::iota(met.begin(), met.end(), quint32{0});
    DatabaseOrders o;
    o.byName = OrderByName(met, [&](quint32 i) { return records[i].name; });
    o.bySize = OrderBySize(met, [&](quint32 i) { return records[i].size; });
    // Compared unsigned, as the handheld compared its times.
    o.byDate =
        OrderBySize(met, [&](quint32 i) { return static_cast<quint64>(records[i].modified); });
    return o;
}

QString ModifiedText(qint64 secondsSinceEpoch) {
    const QDateTime t = QDateTime::fromSecsSinceEpoch(secondsSinceEpoch, Qt::LocalTime);
    const QDate d = t.date();
    int hour = t.time().hour();
    const bool pm = hour >= 13;
    if (pm)
        hour -= 12;
    return QStringLiteral("%1/%2/%3 %4:%5 %6")
        .arg(d.month())
        .arg(d.day())
        .arg(d.year())
        .arg(hour)
        .arg(t.time().minute(), 2, 10, QLatin1Char('0'))
        .arg(pm ? QStringLiteral("PM") : QStringLiteral("AM"));
}

QString RecordsText(const std::optional<quint64>& records) {
    return records ? QString::number(*records) : QString();
}

}  // namespace dovrane::engine
