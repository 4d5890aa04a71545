#include <QtTest>

#include "engine/file_search.h"
#include "platform/test_device.h"

using namespace dovrane::engine;
using dovrane::platform::TestDevice;

namespace {

QStringList Rows(const FileSearch& s) {
    QStringList out;
    for (const quint32 r : s.results())
        out << s.list().fullPath(s.list()[r]);
    return out;
}

}  // namespace

class TestFileSearch : public QObject {
    Q_OBJECT
private slots:
    void duplicatesByNameWithoutCase() {
        TestDevice dev;
        dev.addFile(u"\\a\\readme.txt", 5)
            .addFile(u"\\unique", 9)
            .addFile(u"\\b\\readme.txt", 7)
            .addFile(u"\\c\\README.TXT", 5)
            .addFile(u"\\c\\same-size", 5)
            .addFile(u"\\zz-last-alone", 1);
        FileSearch s;
        QVERIFY(s.SearchFiles(dev, "\\", false, {}));
        // Grouped, and inside the group the file met last first.
        QCOMPARE(Rows(s), QStringList({"\\c\\README.TXT", "\\b\\readme.txt", "\\a\\readme.txt"}));
        QCOMPARE(s.allFiles().files.size(), size_t{6});
    }

    void largestHoldsEveryFile() {
        TestDevice dev;
        dev.addFile(u"\\a", 5)
            .addFile(u"\\d\\b", 9)
            .addFile(u"\\d\\c", 5)
            .addFile(u"\\huge", 5ull << 32);
        FileSearch s;
        s.SearchFiles(dev, "", true, {});
        QCOMPARE(Rows(s), QStringList({"\\huge", "\\d\\b", "\\a", "\\d\\c"}));
        QCOMPARE(s.list().folder(s.list()[s.results()[0]]), QString());  // the root walks as ""
        QCOMPARE(s.allFiles().totalSize, (5ull << 32) + 19);
    }

    void startFolders() {
        TestDevice dev;
        dev.addFile(u"\\My Documents\\Work\\f", 1).addFile(u"\\g", 1);
        FileSearch s;
        s.SearchFiles(dev, "\\My Documents", true, {});
        QCOMPARE(Rows(s), QStringList({"\\My Documents\\Work\\f"}));
        QCOMPARE(FileSearch::HeaderText("\\My Documents\\Work"),
                 QStringLiteral(" \\My Documents \\Work"));
        QCOMPARE(FileSearch::HeaderText("\\"), QStringLiteral("\\Pocket PC"));
        QCOMPARE(FileSearch::HeaderText(""), QStringLiteral("\\Pocket PC"));
        FileSearch none;
        QVERIFY(none.SearchFiles(dev, "\\Nowhere", true, {}));
        QVERIFY(none.results().empty());
    }

    // Not quadratic: a sorted list of names that are all alike keeps everything.
    void manyDuplicates() {
        TestDevice dev;
        for (int i = 0; i < 20000; ++i)
            dev.addFile(QStringLiteral("\\d%1\\same").arg(i % 7), 1);
        FileSearch s;
        s.SearchFiles(dev, "", false, {});
        QCOMPARE(s.results().size(), size_t{20000});
    }
};

QTEST_GUILESS_MAIN(TestFileSearch)
#include "tst_file_search.moc"
