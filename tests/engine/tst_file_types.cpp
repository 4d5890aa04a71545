#include <QtTest>
#include <random>

#include "engine/file_types.h"
#include "platform/test_device.h"

using namespace dovrane::engine;
using dovrane::platform::TestDevice;

namespace {

QStringList Names(const std::vector<FileTypeStat*>& types) {
    QStringList out;
    for (const FileTypeStat* t : types)
        out << t->name;
    return out;
}

QStringList Paths(const FileList& list, const std::vector<quint32>& rows) {
    QStringList out;
    for (const quint32 r : rows)
        out << list.fullPath(list[r]);
    return out;
}

// The orders as first written: selection sorts over a scratch copy, quadratic, no
// shortcuts. The engine must give exactly these results.
template <typename T, typename Key>
std::vector<T> SelectBySize(std::vector<T> work, Key size) {
    std::vector<T> out;
    while (!work.empty()) {
        size_t best = 0;
        for (size_t i = 1; i < work.size(); ++i)
            if (size(work[i]) > size(work[best]))
                best = i;
        out.push_back(work[best]);
        work.erase(work.begin() + static_cast<std::ptrdiff_t>(best));
    }
    return out;
}

template <typename T, typename Name>
std::vector<T> SelectByName(std::vector<T> work, Name name) {
    std::vector<T> out;
    while (!work.empty()) {
        size_t best = 0;
        for (size_t i = 1; i < work.size(); ++i)
            if (name(work[i]).compare(name(work[best]), Qt::CaseInsensitive) > 0)
                best = i;
        out.push_back(work[best]);  // each goes in front of the ones taken before it
        work.erase(work.begin() + static_cast<std::ptrdiff_t>(best));
    }
    std::reverse(out.begin(), out.end());
    return out;
}

}  // namespace

class TestFileTypes : public QObject {
    Q_OBJECT
private slots:
    void typeOf() {
        // No dot, the last dot, a trailing dot, only an extension, case kept.
        const std::pair<const char*, const char*> names[] = {{"readme", "Generic"},
                                                             {"archive.tar.gz", "gz"},
                                                             {"name.", ""},
                                                             {".profile", "profile"},
                                                             {"a.DOC", "DOC"}};
        for (const auto& [name, type] : names)
            QCOMPARE(FileTypeOf(QString::fromLatin1(name)), QString::fromLatin1(type));
    }

    void aggregates() {
        TestDevice dev;
        dev.addFile(u"\\a.DOC", 10)
            .addFile(u"\\Windows\\b.doc", 10)
            .addFile(u"\\Windows\\readme", 3)
            .addFile(u"\\Windows\\sub\\x.doc", 5)
            .addFile(u"\\Windows\\name.", 0)
            .addFile(u"\\.profile", 4)
            .addFile(u"\\big.iso", 5ull << 30)
            .addFile(u"\\big2.iso", 5ull << 30)
            .addHardLink(u"\\Windows\\b.doc", u"\\c.doc");
        FileTypeTable table;
        QVERIFY(table.AggregateFileTypes(dev, {}));
        table.ComputeFileTypeTotals(16);
        QStringList met;
        for (const auto& t : table.fileTypes())
            met << t->name;
        QCOMPARE(met, QStringList({"DOC", "doc", "Generic", "", "profile", "iso"}));
        QCOMPARE(Names(table.fileTypesBySize()),
                 QStringList({"iso", "doc", "DOC", "profile", "Generic", ""}));
        // doc and DOC compare equal: the one met later comes first.
        QCOMPARE(Names(table.fileTypesByName()),
                 QStringList({"", "doc", "DOC", "Generic", "iso", "profile"}));
        const FileTypeStat* doc = table.FindFileType("doc");
        QVERIFY(doc);
        QVERIFY(!table.FindFileType("Doc"));
        QCOMPARE(doc->totalSize, quint64{15});  // the second link of b.doc adds nothing
        QCOMPARE(Paths(table.list(), doc->files),
                 QStringList({"\\Windows\\b.doc", "\\Windows\\sub\\x.doc", "\\c.doc"}));
        QCOMPARE(Paths(table.list(), doc->filesBySize),
                 QStringList({"\\Windows\\b.doc", "\\c.doc", "\\Windows\\sub\\x.doc"}));
        QCOMPARE(Paths(table.list(), doc->filesByName),
                 QStringList({"\\Windows\\b.doc", "\\c.doc", "\\Windows\\sub\\x.doc"}));
        QCOMPARE(table.list().folder(table.list()[table.FindFileType("DOC")->files[0]]), QString());
        QCOMPARE(table.totalSize, (10ull << 30) + 10 + 15 + 3 + 4);
        QCOMPARE(table.FindFileType("iso")->totalSizeHigh(), quint32{2});
        QCOMPARE(table.otherSize, quint64{0});
    }

    void other() {
        // Slices and where the empty types begin among 7 of sizes 7, 6, ...: N = 5 folds
        // positions 4 to 6, N = 7 folds none, and empty types fold to nothing.
        for (const auto& [slices, emptyFrom, other] :
             {std::tuple(5, 7, quint64{3 + 2 + 1}), {7, 7, 0}, {5, 4, 0}}) {
            TestDevice dev;
            for (int i = 0; i < 7; ++i)
                dev.addFile(QStringLiteral("\\f.t%1").arg(i), i < emptyFrom ? 7 - i : 0);
            FileTypeTable table;
            table.AggregateFileTypes(dev, {});
            table.ComputeFileTypeTotals(slices);
            QCOMPARE(std::pair(slices, table.otherSize), std::pair(slices, other));
        }
    }

    void emptyDevice() {
        TestDevice dev;
        FileTypeTable table;
        QVERIFY(table.AggregateFileTypes(dev, {}));
        table.ComputeFileTypeTotals(16);
        QVERIFY(table.fileTypes().empty());
        QCOMPARE(table.totalSize, quint64{0});
    }

    // A tree full of ties, case-only differences, empty files and non-ASCII names, against
    // the selection sorts.
    void ordersMatchTheSelectionSorts() {
        std::mt19937 random(7);
        const QStringList stems{"a", "A", "b", "B", "_", "\u00e9", "\u00c9", "z", "Zz", "x\u00e9"};
        const QStringList types{"txt", "TXT", "c", "", "Gz"};
        TestDevice dev;
        for (int i = 0; i < 400; ++i) {
            const QString name = stems[random() % stems.size()] + QString::number(random() % 3) +
                                 "." + types[random() % types.size()];
            dev.addFile(QStringLiteral("\\d%1\\").arg(random() % 6) + name, random() % 4 * 1000);
        }
        FileTypeTable table;
        table.AggregateFileTypes(dev, {});
        const FileList& list = table.list();
        std::vector<FileTypeStat*> met;
        for (const auto& t : table.fileTypes())
            met.push_back(t.get());
        QCOMPARE(table.fileTypesBySize(),
                 SelectBySize(met, [](FileTypeStat* t) { return t->totalSize; }));
        QCOMPARE(table.fileTypesByName(),
                 SelectByName(met, [](FileTypeStat* t) { return t->name; }));
        for (const FileTypeStat* t : met) {
            QCOMPARE(t->filesBySize,
                     SelectBySize(t->files, [&](quint32 r) { return list[r].size; }));
            QCOMPARE(t->filesByName,
                     SelectByName(t->files, [&](quint32 r) { return list.name(list[r]); }));
        }
    }
};

QTEST_GUILESS_MAIN(TestFileTypes)
#include "tst_file_types.moc"
