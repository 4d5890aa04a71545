#include "engine/history_rules.h"

#include <QDate>
#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <optional>

#include "platform/history_store.h"
#include "platform/scan_file.h"

namespace dovrane::engine {
namespace {

constexpr qint64 kDay = 86400;

qint64 FloorDiv(qint64 a, qint64 b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

qint64 DayOf(qint64 time) {
    return FloorDiv(time, kDay);
}

// 1970-01-01 was a Thursday: days shifted by three make weeks that start on Mondays.
qint64 WeekOf(qint64 time) {
    return FloorDiv(DayOf(time) + 3, 7);
}

// The month of the week's Monday, so that every week lies in one month.
qint64 MonthOf(qint64 time) {
    const QDate monday = QDate(1970, 1, 1).addDays(WeekOf(time) * 7 - 3);
    return qint64{monday.year()} * 12 + monday.month() - 1;
}

// Older first: by time, then by id.
bool Older(const SnapshotFacts& x, const SnapshotFacts& y) {
    return x.time != y.time ? x.time < y.time : x.id < y.id;
}

QString GroupOf(const QString& host, const QString& deviceRoot) {
    return host + u'\n' + deviceRoot;
}

std::vector<SnapshotFacts> FactsOf(const std::vector<platform::SnapshotRecord>& records) {
    std::vector<SnapshotFacts> facts;
    facts.reserve(records.size());
    for (const platform::SnapshotRecord& r : records)
        facts.push_back({GroupOf(r.host, r.deviceRoot), r.time, r.fileBytes, r.id, r.baseId,
                         r.listed, r.plainBytes});
    return facts;
}

}  // namespace

std::vector<bool> RetainedSnapshots(std::span<const SnapshotFacts> snapshots, qint64 now,
                                    quint64 maxBytes) {
    const size_t n = snapshots.size();
    std::vector<size_t> order(n);  // oldest first
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return Older(snapshots[a], snapshots[b]); });

    std::vector<bool> keep(n, false);
    std::map<QString, int> recent;  // per group: kept from the last 24 hours
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const SnapshotFacts& s = snapshots[*it];
        if (s.listed && now - s.time < kDay && recent[s.group]++ < kKeepRecent)
            keep[*it] = true;
    }
    // Oldest first, so the first met in a bucket is the one it keeps.
    std::map<std::pair<QString, qint64>, bool> days, weeks, months;
    const qint64 today = DayOf(now), thisWeek = WeekOf(now);
    for (const size_t i : order) {
        const SnapshotFacts& s = snapshots[i];
        if (!s.listed)
            continue;
        const bool firstOfDay = days.try_emplace({s.group, DayOf(s.time)}, true).second;
        const bool firstOfWeek = weeks.try_emplace({s.group, WeekOf(s.time)}, true).second;
        const bool firstOfMonth = months.try_emplace({s.group, MonthOf(s.time)}, true).second;
        if ((firstOfDay && DayOf(s.time) > today - kKeepDays) ||
            (firstOfWeek && WeekOf(s.time) > thisWeek - kKeepWeeks) || firstOfMonth)
            keep[i] = true;
    }

    // On disk: the kept and the bases kept deltas need.
    std::map<qint64, size_t> byId;
    for (size_t i = 0; i < n; ++i)
        byId.emplace(snapshots[i].id, i);
    std::vector<std::optional<size_t>> baseOf(n);
    std::vector<size_t> users(n, 0);  // kept deltas per base
    for (size_t i = 0; i < n; ++i)
        if (const auto b = byId.find(snapshots[i].base); snapshots[i].base != 0 && b != byId.end())
            baseOf[i] = b->second;
    quint64 total = 0;
    size_t kept = 0;
    for (size_t i = 0; i < n; ++i)
        if (keep[i]) {
            ++kept;
            if (baseOf[i])
                ++users[*baseOf[i]];
        }
    for (size_t i = 0; i < n; ++i)
        if (keep[i] || users[i] > 0)
            total += snapshots[i].bytes;
    for (const size_t i : order) {
        if (total <= maxBytes || kept <= 1)
            break;
        if (!keep[i])
            continue;
        keep[i] = false;
        --kept;
        if (users[i] == 0)
            total -= snapshots[i].bytes;
        if (const auto b = baseOf[i]; b && --users[*b] == 0 && !keep[*b])
            total -= snapshots[*b].bytes;
    }
    return keep;
}

std::optional<size_t> DeltaBase(std::span<const SnapshotFacts> snapshots, const QString& group) {
    std::optional<size_t> full, delta;
    for (size_t i = 0; i < snapshots.size(); ++i)
        if (snapshots[i].group == group && snapshots[i].base == 0 &&
            (!full || Older(snapshots[*full], snapshots[i])))
            full = i;
    if (!full || snapshots[*full].plainBytes == 0 ||
        snapshots[*full].plainBytes > platform::kMaxDeltaBaseBytes)
        return std::nullopt;
    for (size_t i = 0; i < snapshots.size(); ++i)
        if (snapshots[i].base == snapshots[*full].id &&
            (!delta || Older(snapshots[*delta], snapshots[i])))
            delta = i;
    if (delta && snapshots[*delta].bytes * kDeltaShareOfBase > snapshots[*full].bytes)
        return std::nullopt;
    return full;
}

quint64 DefaultHistoryLimit(quint64 fileSystemBytes) {
    return fileSystemBytes == 0 ? kDefaultHistoryLimit
                                : std::min(kDefaultHistoryLimit, fileSystemBytes / 100);
}

std::optional<quint64> ParseSizeLimit(QStringView text) {
    QStringView number = text.trimmed();
    if (number.isEmpty())
        return std::nullopt;
    int shift = 0;
    const QChar unit = number.back().toUpper();
    const QString units = QStringLiteral("KMGT");
    if (const qsizetype at = units.indexOf(unit); at >= 0) {
        shift = 10 * static_cast<int>(at + 1);
        number.chop(1);
    } else if (unit == u'B') {
        number.chop(1);
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0)
        return std::nullopt;
    const double bytes = std::ldexp(value, shift);
    if (bytes >= 18446744073709551616.0)
        return std::nullopt;
    return static_cast<quint64>(bytes);
}

SnapshotSummary::SnapshotSummary() : m_open{0}, m_hash(QCryptographicHash::Sha256) {}

void SnapshotSummary::enterFolder(std::string_view hostName, const platform::FindData&) {
    ++m_entries;
    m_open.push_back(0);
    // Names in, so that sizes moved from one folder to another differ.
    m_hash.addData(QByteArrayView(hostName.data(), static_cast<qsizetype>(hostName.size())));
    m_hash.addData(QByteArrayView("/", 1));
}

void SnapshotSummary::file(std::string_view, const platform::FindData& entry, bool counted) {
    ++m_entries;
    if (counted)
        m_open.back() += entry.size;
}

void SnapshotSummary::leaveFolder() {
    const quint64 bytes = m_open.back();
    m_open.pop_back();
    m_hash.addData(QByteArrayView(reinterpret_cast<const char*>(&bytes), sizeof bytes));
    if (m_open.empty())
        m_total = bytes;
    else
        m_open.back() += bytes;
}

QByteArray SnapshotSummary::digest() const {
    QByteArray d = m_hash.result();
    d.append(reinterpret_cast<const char*>(&m_entries), sizeof m_entries);
    return d;
}

std::optional<platform::SnapshotRecord> ChooseDeltaBase(
    const std::vector<platform::SnapshotRecord>& snapshots, const QString& deviceRoot,
    const QString& host) {
    const auto base = DeltaBase(FactsOf(snapshots), GroupOf(host, deviceRoot));
    return base ? std::optional(snapshots[*base]) : std::nullopt;
}

bool ThinHistory(platform::HistoryStore& store, qint64 now, quint64 maxBytes, QStringList* notes,
                 QString* error) {
    const std::vector<platform::SnapshotRecord> all = store.list({}, notes, true);
    const std::vector<bool> keep = RetainedSnapshots(FactsOf(all), now, maxBytes);
    // The store keeps, unlisted, what kept deltas still need.
    std::vector<platform::SnapshotRecord> drop;
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].listed && !keep[i])
            drop.push_back(all[i]);
    return store.remove(drop, error);
}

}  // namespace dovrane::engine
