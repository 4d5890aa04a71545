// Identical-content search on real folders, and the databases' time text.

#include <QtTest>

#include "engine/database_list.h"
#include "engine/file_search.h"
#include "engine/identical_files.h"
#include "platform/content_reader.h"
#include "platform/host_device.h"
#include "support/sqlite_files.h"
#include "support/temp_tree.h"

using namespace dovrane::engine;

class TestIdenticalFiles : public QObject {
    Q_OBJECT

private slots:
    // Row name: the files, "a=qx10+b" ten 'q' then "b", "c>a" a hard link of a. Expected:
    // the groups "size:path,path|...", the waste, and the bytes read of those to read.
    void groups_data() {
        QTest::addColumn<QString>("expected");
        // Head equal, tail different: only the rest's hash tells them apart.
        QTest::newRow("a=ax5000;b=ax4999+b;c=ax5000")
            << "5000:\\a,\\c wasted 5000 read 15000/15000";
        // Largest waste first, ties in the order met.
        QTest::newRow("s1=wx100;big1=yx300;s2=wx100;big2=yx300;u1=vx200;t1=zx200;t2=zx200;u2=vx200")
            << "300:\\big1,\\big2|200:\\t1,\\t2|200:\\u1,\\u2|100:\\s1,\\s2 wasted 800 read "
               "1600/1600";
        QTest::newRow("a=qx4096;b=qx4096;c=qx4096")
            << "4096:\\a,\\b,\\c wasted 8192 read 12288/12288";
        // The unique size is never opened, the head that differs is read no further, the link
        // not again: no byte is read twice.
        QTest::newRow("unique=ux9000;a=ax20000;b=ax20000;c=cx20000;a-link>a")
            << "20000:\\a,\\b wasted 20000 read 44096/60000";
    }

    void groups() {
        QFETCH(QString, expected);
        dovrane::test::TempTree t;
        for (const QString& item : QString::fromUtf8(QTest::currentDataTag()).split(u';')) {
            const auto at = item.indexOf(QRegularExpression(QStringLiteral("[=>]")));
            const std::string name = item.left(at).toStdString();
            if (item[at] == u'>') {
                QVERIFY(::link(t.host(item.mid(at + 1).toStdString()).c_str(),
                               t.host(name).c_str()) == 0);
                continue;
            }
            QByteArray bytes;
            for (const QString& part : item.mid(at + 1).split(u'+', Qt::SkipEmptyParts)) {
                const auto x = part.indexOf(u'x');
                bytes +=
                    x < 0 ? part.toUtf8() : QByteArray(part.mid(x + 1).toInt(), part[0].toLatin1());
            }
            dovrane::test::WriteBytes(t.host(name), bytes);
        }
        dovrane::platform::HostDevice device(t.root());
        FileSearch search;
        QVERIFY(search.SearchFiles(device, QStringLiteral("\\"), true, {}));
        const FileList& list = search.list();
        // The walk's order is the file system's: met in the order of the names.
        std::vector<quint32> byName = search.allFiles().files;
        std::sort(byName.begin(), byName.end(),
                  [&](quint32 a, quint32 b) { return list.name(list[a]) < list.name(list[b]); });
        auto reader = dovrane::platform::MakeHostContentReader(t.root());
        ContentProgress progress;
        const auto found = FindIdenticalFiles(list, byName, *reader, nullptr, &progress);
        QVERIFY(found);
        QStringList groups;
        for (const IdenticalGroup& g : found->groups) {
            QStringList files;
            for (const quint32 i : g.files)
                files.append(list.fullPath(list[i]));
            groups.append(QString::number(g.size) + u':' + files.join(u','));
        }
        QCOMPARE(QStringLiteral("%1 wasted %2 read %3/%4")
                     .arg(groups.join(u'|'))
                     .arg(found->wastedBytes)
                     .arg(progress.bytesRead.load())
                     .arg(progress.bytesToRead.load()),
                 expected);
        const std::atomic<bool> stopped{false};
        QVERIFY(!FindIdenticalFiles(list, byName, *reader, &stopped) || !progress.bytesToRead);
    }

    // Row name: the local time in a zone four hours west of UTC, so UTC text would differ.
    void modifiedText_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("2026-03-07T12:05:00") << "3/7/2026 12:05 AM";
        QTest::newRow("2026-12-31T00:05:00") << "12/31/2026 0:05 AM";
    }

    void modifiedText() {
        QFETCH(QString, text);
        qputenv("TZ", "XST+4");
        tzset();
        const QDateTime at = QDateTime::fromString(QTest::currentDataTag(), Qt::ISODate);
        QCOMPARE(
            ModifiedText(QDateTime(at.date(), at.time(), QTimeZone(-4 * 3600)).toSecsSinceEpoch()),
            text);
    }
};

QTEST_GUILESS_MAIN(TestIdenticalFiles)
#include "tst_identical_files.moc"
