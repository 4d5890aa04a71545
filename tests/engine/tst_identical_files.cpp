// Identical-content search on real folders, and the databases' time text.

#include <QtTest>

#include "engine/database_list.h"
#include "engine/file_search.h"
#include "engine/identical_files.h"
#include "platform/content_reader.h"
#include "platform/host_device.h"
#include "support/temp_tree.h"

using namespace dovrane::engine;
using dovrane::test::TempTree;

namespace {

void Write(const TempTree& t, const std::string& name, const QByteArray& bytes) {
    QFile f(QString::fromStdString(t.host(name)));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Groups as "size:path,path|..." for one compare.
QString Describe(const FileList& list, const IdenticalResult& r) {
    QStringList groups;
    for (const IdenticalGroup& g : r.groups) {
        QStringList files;
        for (const quint32 i : g.files)
            files.append(list.fullPath(list[i]));
        groups.append(QString::number(g.size) + u':' + files.join(u','));
    }
    return groups.join(u'|') + QStringLiteral(" wasted ") + QString::number(r.wastedBytes);
}

}  // namespace

class TestIdenticalFiles : public QObject {
    Q_OBJECT

private slots:
    void groups_data();
    void groups();
    void readsOnlyCandidatesOnce();
    void modifiedText_data();
    void modifiedText();
};

void TestIdenticalFiles::groups_data() {
    QTest::addColumn<QString>("setup");  // name=content-spec;...: spec is "byte x count"
    QTest::addColumn<QString>("expected");
    // Head equal, tail different: only the full hash tells them apart.
    QTest::newRow("differ after the head") << "a=ax5000;b=ax4999+b;c=ax5000"
                                           << "5000:\\a,\\c wasted 5000";
    QTest::newRow("same size, other bytes") << "a=ax10;b=bx10"
                                            << " wasted 0";
    QTest::newRow("empty files are not duplicates") << "a=;b=;c="
                                                    << " wasted 0";
    QTest::newRow("largest waste first, ties in the order met")
        << "s1=wx100;big1=yx300;s2=wx100;big2=yx300;u1=vx200;t1=zx200;t2=zx200;u2=vx200"
        << "300:\\big1,\\big2|200:\\t1,\\t2|200:\\u1,\\u2|100:\\s1,\\s2 wasted 800";
    QTest::newRow("three copies") << "a=qx4096;b=qx4096;c=qx4096"
                                  << "4096:\\a,\\b,\\c wasted 8192";
}

QByteArray Content(const QString& spec) {
    QByteArray out;
    for (const QString& part : spec.split(u'+', Qt::SkipEmptyParts)) {
        const auto x = part.indexOf(u'x');
        out += x < 0 ? part.toUtf8() : QByteArray(part.mid(x + 1).toInt(), part[0].toLatin1());
    }
    return out;
}

void TestIdenticalFiles::groups() {
    QFETCH(QString, setup);
    QFETCH(QString, expected);
    TempTree t;
    for (const QString& item : setup.split(u';')) {
        const QStringList kv = item.split(u'=');
        Write(t, kv[0].toStdString(), Content(kv[1]));
    }
    dovrane::platform::HostDevice device(t.root());
    FileSearch search;
    QVERIFY(search.SearchFiles(device, QStringLiteral("\\"), true, {}));
    auto reader = dovrane::platform::MakeHostContentReader(t.root());
    // The walk's order is the file system's: sort the groups' expectations by name.
    std::vector<quint32> byName = search.allFiles().files;
    std::sort(byName.begin(), byName.end(), [&](quint32 a, quint32 b) {
        return search.list().name(search.list()[a]) < search.list().name(search.list()[b]);
    });
    const auto found = FindIdenticalFiles(search.list(), byName, *reader);
    QVERIFY(found);
    QCOMPARE(Describe(search.list(), *found), expected);
}

// The unique size is never opened, the head that differs is read no further, and no
// byte is read twice: what was read is exactly the two copies and one head.
void TestIdenticalFiles::readsOnlyCandidatesOnce() {
    TempTree t;
    Write(t, "unique", QByteArray(9000, 'u'));
    Write(t, "a", QByteArray(20000, 'a'));
    Write(t, "b", QByteArray(20000, 'a'));
    Write(t, "c", QByteArray(20000, 'c'));
    QVERIFY(::link(t.host("a").c_str(), t.host("a-link").c_str()) == 0);
    dovrane::platform::HostDevice device(t.root());
    FileSearch search;
    QVERIFY(search.SearchFiles(device, QStringLiteral("\\"), true, {}));
    auto reader = dovrane::platform::MakeHostContentReader(t.root());
    ContentProgress progress;
    const auto found =
        FindIdenticalFiles(search.list(), search.allFiles().files, *reader, nullptr, &progress);
    QVERIFY(found);
    QCOMPARE(found->groups.size(), size_t(1));
    QCOMPARE(found->groups[0].files.size(), size_t(2));  // a link of a is not a copy of a
    QCOMPARE(progress.bytesRead.load(), quint64(2 * 20000 + kPartialHashBytes));
    QCOMPARE(progress.bytesToRead.load(), quint64(3 * 20000));
    const std::atomic<bool> stopped{false};
    QVERIFY(!FindIdenticalFiles(search.list(), search.allFiles().files, *reader, &stopped));
}

void TestIdenticalFiles::modifiedText_data() {
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("text");
    QTest::newRow("13:05") << "2026-03-07T13:05:59"
                           << "3/7/2026 1:05 PM";
    QTest::newRow("12:05") << "2026-03-07T12:05:00"
                           << "3/7/2026 12:05 AM";
    QTest::newRow("00:05") << "2026-12-31T00:05:00"
                           << "12/31/2026 0:05 AM";
    QTest::newRow("23:59") << "2001-01-01T23:59:00"
                           << "1/1/2001 11:59 PM";
}

void TestIdenticalFiles::modifiedText() {
    QFETCH(QString, local);
    QFETCH(QString, text);
    // A fixed zone four hours west of UTC: the text is local time, not UTC.
    qputenv("TZ", "XST+4");
    tzset();
    const QDateTime utc = QDateTime::fromString(local, Qt::ISODate).addSecs(4 * 3600);
    const qint64 seconds = QDateTime(utc.date(), utc.time(), Qt::UTC).toSecsSinceEpoch();
    QCOMPARE(ModifiedText(seconds), text);
}

QTEST_GUILESS_MAIN(TestIdenticalFiles)
#include "tst_identical_files.moc"
