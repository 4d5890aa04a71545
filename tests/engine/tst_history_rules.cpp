// Which snapshots the history keeps: a year of daily snapshots, mostly deltas, thinned every
// day on a fake clock, the newest ten of a busy day, the size limit with bases, size texts.

#include <QtTest>
#include <set>

#include "engine/history_rules.h"

using namespace dovrane::engine;

namespace {

qint64 At(int year, int month, int day, int hour = 3) {
    return QDateTime(QDate(year, month, day), QTime(hour, 0), Qt::UTC).toSecsSinceEpoch();
}

// Thins `kept` at `now`, as the history does after each snapshot: a base kept deltas need
// stays, unlisted.
void Thin(std::vector<SnapshotFacts>& kept, qint64 now, quint64 limit) {
    const std::vector<bool> keep = RetainedSnapshots(kept, now, limit);
    std::set<qint64> needed;
    for (size_t i = 0; i < kept.size(); ++i)
        if (keep[i])
            needed.insert(kept[i].base);
    std::vector<SnapshotFacts> left;
    for (size_t i = 0; i < kept.size(); ++i)
        if (keep[i] || needed.contains(kept[i].id)) {
            left.push_back(kept[i]);
            left.back().listed = keep[i];
        }
    kept = left;
}

}  // namespace

class TestHistoryRules : public QObject {
    Q_OBJECT

private slots:
    // Deltas grow by 20 bytes a day from 50 until a new full snapshot of 1000 bytes is due.
    void yearOfDailySnapshots() {
        std::vector<SnapshotFacts> kept;
        const QDate first(2026, 1, 1);  // a Thursday
        int fulls = 0;
        for (int d = 1; d <= 365; ++d) {
            const QDate date = first.addDays(d - 1);
            SnapshotFacts s{"/home", At(date.year(), date.month(), date.day()), 1000, d, 0, true,
                            1};
            if (const auto base = DeltaBase(kept, "/home")) {
                s.base = kept[*base].id;
                s.bytes = static_cast<quint64>(50 + 20 * (d - s.base));
            }
            fulls += s.base == 0;
            kept.push_back(s);
            Thin(kept, s.time + 60, ~quint64{0});
            for (const SnapshotFacts& k : kept)  // no delta without its base
                QVERIFY(k.base == 0 || std::any_of(kept.begin(), kept.end(),
                                                   [&](auto& b) { return b.id == k.base; }));
        }
        QCOMPARE(fulls, 31);  // deltas outgrow a quarter of their base in 11 days
        std::erase_if(kept, [](const SnapshotFacts& k) { return !k.listed; });
        // Kept: the first (the oldest of the week of 29 December 2025, a December week),
        // every Monday from 5 January (the 52 weeks up to this one) and every day of the 30
        // days up to 31 December.
        QList<QDate> expected{first};
        for (QDate d(2026, 1, 5); d <= QDate(2026, 12, 31); d = d.addDays(1))
            if (d.dayOfWeek() == Qt::Monday || d >= QDate(2026, 12, 2))
                expected << d;
        QList<QDate> got;
        for (const SnapshotFacts& s : kept)
            got << QDateTime::fromSecsSinceEpoch(s.time, Qt::UTC).date();
        QCOMPARE(got, expected);
        QCOMPARE(got.size(), 79);
    }

    void busyDayAndSizeLimit_data() {
        QTest::addColumn<QList<int>>("hoursAgo");
        QTest::addColumn<quint64>("limit");
        QTest::addColumn<QList<int>>("kept");  // indexes into hoursAgo
        QTest::addColumn<int>("deltas");       // from the first: deltas against it
        // Twelve in the last 12 hours of one day: the newest ten and the day's oldest.
        QTest::newRow("twelve today")
            << QList<int>{12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1} << ~quint64{0}
            << QList<int>{0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11} << 0;
        // Oldest first until the rest fits; the size counts only what the rules keep.
        QTest::newRow("limit") << QList<int>{96, 72, 48, 24, 1} << quint64{250} << QList<int>{3, 4}
                               << 0;
        // Dropped for size, the first still counts while the kept delta needs it as a base.
        QTest::newRow("limit with a base")
            << QList<int>{96, 72, 48, 24, 1} << quint64{250} << QList<int>{4} << 4;
        QTest::newRow("newest alone too big")
            << QList<int>{48, 1} << quint64{50} << QList<int>{1} << 0;
        QTest::newRow("exactly at the limit")
            << QList<int>{48, 1} << quint64{200} << QList<int>{0, 1} << 0;
    }
    void busyDayAndSizeLimit() {
        QFETCH(QList<int>, hoursAgo);
        QFETCH(quint64, limit);
        QFETCH(QList<int>, kept);
        QFETCH(int, deltas);
        const qint64 now = At(2026, 6, 10, 23) + 1800;
        std::vector<SnapshotFacts> snapshots;
        for (int i = 0; i < hoursAgo.size(); ++i)
            snapshots.push_back(
                {"/", now - hoursAgo[i] * 3600, 100, i + 1, i && i <= deltas ? 1 : 0});
        const std::vector<bool> keep = RetainedSnapshots(snapshots, now, limit);
        QList<int> got;
        for (int i = 0; i < hoursAgo.size(); ++i)
            if (keep[static_cast<size_t>(i)])
                got << i;
        QCOMPARE(got, kept);
    }

    void rootsThinnedApart() {
        const qint64 now = At(2026, 6, 10, 12);
        // Two roots with one snapshot each on the same day: both are the oldest of it.
        std::vector<SnapshotFacts> s{{"/a", now - 40 * 86400, 1, 1},
                                     {"/b", now - 40 * 86400 + 5, 1, 2},
                                     {"/a", now - 40 * 86400 + 9, 1, 3}};
        QCOMPARE(RetainedSnapshots(s, now, 1000), std::vector<bool>({true, true, false}));
    }

    void sizeLimits_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("bytes");  // -1: not a size
        QTest::newRow("bytes") << "123" << qint64{123};
        QTest::newRow("M") << "500M" << qint64{500} * 1024 * 1024;
        QTest::newRow("g fraction") << "1.5g" << qint64{3} * 512 * 1024 * 1024;
        QTest::newRow("K with B") << "2KB" << qint64{-1};
        QTest::newRow("B") << "64B" << qint64{64};
        QTest::newRow("negative") << "-1G" << qint64{-1};
        QTest::newRow("empty") << "" << qint64{-1};
        QTest::newRow("too big") << "16777216T" << qint64{-1};
    }
    void sizeLimits() {
        QFETCH(QString, text);
        QFETCH(qint64, bytes);
        const auto parsed = ParseSizeLimit(text);
        QCOMPARE(parsed ? static_cast<qint64>(*parsed) : qint64{-1}, bytes);
    }

    void defaultLimitIsTheSmaller() {
        QCOMPARE(DefaultHistoryLimit(0), quint64{1} << 30);
        QCOMPARE(DefaultHistoryLimit(50ull << 30), (50ull << 30) / 100);
        QCOMPARE(DefaultHistoryLimit(1ull << 40), quint64{1} << 30);
    }
};

QTEST_GUILESS_MAIN(TestHistoryRules)
#include "tst_history_rules.moc"
