#pragma once
// The object store's databases as the Databases dialog and report show them: records in
// enumeration order, the three orders with their tie rules, and the time text.

#include <QString>
#include <optional>
#include <vector>

#include "platform/find_data.h"
#include "platform/object_store.h"

namespace dovrane::engine {

struct DatabaseRecord {
    QString name;
    platform::DatabaseLocation location;  // what a delete hands back to the platform
    QString devicePath;                   // empty when the file lies outside the device
    quint64 size = 0;
    qint64 modified = 0;             // seconds since 1970 UTC
    std::optional<quint64> records;  // empty when they cannot be counted
    platform::FileId oid;
};

// Each list holds indexes into the records, which stay in enumeration order.
struct DatabaseOrders {
    std::vector<quint32> byName;  // ascending without regard to case; ties last-met first
    std::vector<quint32> bySize;  // largest first; ties in enumeration order
    std::vector<quint32> byDate;  // newest first; ties in enumeration order
};

// Enumerates the object-store folders and counts each database's records. `depthLimited`,
// when given, tells whether some folder lay too deep to be searched.
std::vector<DatabaseRecord> ListDatabases(const QStringList& folders, const QString& deviceRoot,
                                          bool* depthLimited = nullptr);

DatabaseOrders OrderDatabases(const std::vector<DatabaseRecord>& records);

// "%d/%d/%d %d:%02d" (month, day, year, hour, minutes) of local time, then " PM" with the
// hour less 12 for hours 13 to 23, else " AM" with the hour as it is: 12:05 AM, 0:05 AM.
QString ModifiedText(qint64 secondsSinceEpoch);

// "%d" of the record count, or empty when it is unknown.
QString RecordsText(const std::optional<quint64>& records);

}  // namespace dovrane::engine
