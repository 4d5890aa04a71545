// Identical-content search on real folders, and the databases' time text.

#include <QtTest>

#include "engine/database_list.h"
#include "engine/file_search.h"
#include "engine/identical_files.h"
#include "platform/content_reader.h"
#include "platform/host_device.h"
#include "support/sqlite_files.h"
#include "support/temp_tree.h"
#include "support/test_device.h"

using namespace dovrane::engine;
using namespace dovrane::test;

namespace {

// "folder:entry,...;folder:..." with "name=bytes" a file, "name" a sub-folder.
struct Layout {
    QStringList folders;
    std::vector<QStringList> entries;

    explicit Layout(const QString& text) {
        for (const QString& folder : text.split(u';')) {
            folders.append(folder.section(u':', 0, 0));
            entries.push_back(folder.section(u':', 1).split(u','));
            entries.back().sort();  // the first of all orders
        }
    }
    // The next combination of listing orders; false once every one was given.
    bool next() {
        for (QStringList& e : entries)
            if (std::next_permutation(e.begin(), e.end()))
                return true;
        return false;
    }
    void build(dovrane::platform::TestDevice& dev, const QString& folder) const {
        for (const QString& entry : entries[static_cast<size_t>(folders.indexOf(folder))]) {
            const QString path =
                (folder == u"\\" ? folder : folder + u'\\') + entry.section(u'=', 0, 0);
            if (!entry.contains(u'=')) {
                dev.addFolder(path);
                build(dev, path);
                continue;
            }
            const QByteArray bytes = entry.section(u'=', 1).toUtf8();
            dev.addFile(path, static_cast<quint64>(bytes.size())).setContent(path, bytes);
        }
    }
};

// "size:path,path|size:...", each group's paths in the order met or, with `sorted`, sorted.
QString Groups(const FileList& list, const IdenticalResult& found, bool sorted = false) {
    QStringList groups;
    for (const IdenticalGroup& g : found.groups) {
        QStringList paths;
        for (const quint32 i : g.files)
            paths.append(list.fullPath(list[i]));
        if (sorted)
            paths.sort();
        groups.append(QString::number(g.size) + u':' + paths.join(u','));
    }
    return groups.join(u'|');
}

// The host's reader as on a disk that says it rotates: a second reader must prove itself.
class ProvingReader final : public dovrane::platform::ContentReader {
public:
    explicit ProvingReader(const QString& root)
        : m_root(root), m_host(dovrane::platform::MakeHostContentReader(root)) {}
    std::unique_ptr<dovrane::platform::ContentStream> open(
        const QString& path, const dovrane::platform::FileId& id) override {
        return m_host->open(path, id);
    }
    std::unique_ptr<ContentReader> another() override {
        return std::make_unique<ProvingReader>(m_root);
    }
    bool secondMustProve() const override { return true; }

private:
    QString m_root;
    std::unique_ptr<ContentReader> m_host;
};

}  // namespace

class TestIdenticalFiles : public QObject {
    Q_OBJECT

private slots:
    // Row name: the files, "a=qx10+b" ten 'q' then "b", "c>a" a hard link of a.
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
        // Enough to read for a second thread: each reads one half, groups as on one.
        QTest::newRow("a=ax3000000;b=ax2999999+b;c=ax3000000;d=dx3000000;e=dx3000000")
            << "3000000:\\a,\\c|3000000:\\d,\\e wasted 6000000 read 15000000/15000000";
        // Enough for a second thread: where it must prove itself, it reads one of the second
        // two files beside the first thread, and a half of the rest if it was faster.
        QTest::newRow(
            "a=ax800000;b=bx800000;c=cx800000;d=dx800000;e=ax800000;f=bx800000;"
            "g=cx800000;h=dx800000;i=ix800000;j=jx800000;k=ix800000;l=jx800000")
            << "800000:\\a,\\e|800000:\\b,\\f|800000:\\c,\\g|800000:\\d,\\h|"
               "800000:\\i,\\k|800000:\\j,\\l wasted 4800000 read 9600000/9600000";
        // Unique sizes unopened, a differing head read no further, a link not again.
        QTest::newRow("unique=ux9000;a=ax20000;b=ax20000;c=cx20000;a-link>a")
            << "20000:\\a,\\b wasted 20000 read 44096/60000";
    }

    void groups() {
        QFETCH(QString, expected);
        TempTree t;
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
            WriteBytes(t.host(name), bytes);
        }
        dovrane::platform::HostDevice device(t.root());
        FileSearch search;
        QVERIFY(search.SearchFiles(device, QStringLiteral("\\"), true, {}));
        const FileList& list = search.list();
        // The walk's order is the file system's: met in the order of the names.
        std::vector<quint32> byName = search.allFiles().files;
        std::sort(byName.begin(), byName.end(),
                  [&](quint32 a, quint32 b) { return list.name(list[a]) < list.name(list[b]); });
        // Each file read once, whether or not a second reader had to prove itself first.
        ProvingReader proving(t.root());
        auto reader = dovrane::platform::MakeHostContentReader(t.root());
        quint64 toRead = 0;
        for (dovrane::platform::ContentReader* r :
             {reader.get(), static_cast<dovrane::platform::ContentReader*>(&proving)}) {
            ContentProgress progress;
            const auto found = FindIdenticalFiles(list, byName, *r, nullptr, &progress);
            QVERIFY(found);
            QCOMPARE(QStringLiteral("%1 wasted %2 read %3/%4")
                         .arg(Groups(list, *found))
                         .arg(found->wastedBytes)
                         .arg(progress.bytesRead.load())
                         .arg(progress.bytesToRead.load()),
                     expected);
            toRead = progress.bytesToRead.load();
        }
        const std::atomic<bool> stopped{false};
        QVERIFY(!FindIdenticalFiles(list, byName, *reader, &stopped) || toRead == 0);
    }

    // Every listing order of every folder: a sub-folder met among files of one size takes
    // none of them out; each group keeps the order met.
    void listingOrders() {
        const QString expected = "4:\\d1\\r,\\d1\\sub\\p,\\k|6:\\n,\\o|4:\\d1\\q,\\m";
        Layout tree(
            "\\:d1,m=QQQQ,n=RRRRRR,k=PPPP,o=RRRRRR;\\d1:sub,q=QQQQ,r=PPPP;"
            "\\d1\\sub:p=PPPP,w=WWWW");
        int combinations = 0;
        do {
            dovrane::platform::TestDevice dev;
            tree.build(dev, QStringLiteral("\\"));
            FileSearch search;
            QVERIFY(search.SearchFiles(dev, QStringLiteral("\\"), true, {}));
            const FileList& list = search.list();
            const std::vector<quint32>& met = search.allFiles().files;
            const auto reader = dovrane::platform::MakeContentReader(dev);
            const auto found = FindIdenticalFiles(list, met, *reader);
            QVERIFY(found);
            for (const IdenticalGroup& g : found->groups)
                QVERIFY(std::is_sorted(g.files.begin(), g.files.end(), [&](quint32 a, quint32 b) {
                    return std::ranges::find(met, a) < std::ranges::find(met, b);
                }));
            const QString got = Groups(list, *found, true);
            QVERIFY2(
                got == expected,
                qPrintable(QStringLiteral("listing order %1 gives %2").arg(combinations).arg(got)));
            ++combinations;
        } while (tree.next());
        QVERIFY(combinations > 1);
    }

    // A file deeper than the host's path limit is read like any other.
    void deeperThanPathMax() {
        TempTree t;
        const std::string name(200, 'd');
        const int levels = PATH_MAX / 201 + 1;
        WriteBytes(t.host("top"), QByteArray(5000, 's'));
        const int fd = Descend(t.openFolder(), name, levels);
        WriteBytes(InFolder(fd, "deep"), QByteArray(5000, 's'));
        WriteBytes(InFolder(fd, "other"), QByteArray(5000, 'o'));
        ::close(fd);
        dovrane::platform::HostDevice device(t.root());
        FileSearch search;
        QVERIFY(search.SearchFiles(device, QStringLiteral("\\"), true, {}));
        QCOMPARE(search.list().size(), size_t{3});
        const auto reader = dovrane::platform::MakeContentReader(device);
        ContentProgress progress;
        const auto found =
            FindIdenticalFiles(search.list(), search.allFiles().files, *reader, nullptr, &progress);
        QVERIFY(found);
        const QString deep = (u'\\' + QString::fromStdString(name)).repeated(levels);
        QCOMPARE(Groups(search.list(), *found, true), "5000:" + deep + "\\deep,\\top");
        // Both copies whole, and the head of the file of other bytes.
        QCOMPARE(progress.bytesRead.load(), quint64{2 * 5000 + kPartialHashBytes});
    }

    // In a zone four hours west of UTC, where UTC text would differ.
    void modifiedText() {
        qputenv("TZ", "XST+4");
        tzset();
        for (const auto& [date, time, text] :
             {std::tuple(QDate(2026, 3, 7), QTime(12, 5), "3/7/2026 12:05 AM"),
              {QDate(2026, 12, 31), QTime(0, 5), "12/31/2026 0:05 AM"}})
            QCOMPARE(ModifiedText(QDateTime(date, time, QTimeZone(-4 * 3600)).toSecsSinceEpoch()),
                     QString::fromLatin1(text));
    }
};

QTEST_GUILESS_MAIN(TestIdenticalFiles)
#include "tst_identical_files.moc"
