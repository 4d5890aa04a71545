// Scan files on the host: compressed, delta and plain bytes back as written, a delta with a
// bad base, and an export that stays in its folder while the folder's name is swapped.

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <QtTest>

#include "platform/scan_file.h"
#include "support/race.h"
#include "support/temp_tree.h"

using namespace dovrane;

namespace {

QByteArray ReadBack(const QString& path) {
    QString error;
    const auto in = platform::ScanInput::open(path, error);
    if (!in)
        return "error: " + error.toUtf8();
    QByteArray all;
    char buffer[1000];  // small reads: refills in the middle of compressed frames
    for (qint64 n; (n = in->read(buffer, sizeof buffer)) != 0;) {
        if (n < 0)
            return "error: " + in->error().toUtf8();
        all.append(buffer, n);
    }
    return all;
}

// An export of `count` entries, little repetition among them.
QByteArray Export(int count) {
    QByteArray bytes = "[1,2,{},[{\"name\":\"/\"}";
    for (int i = 0; i < count; ++i)
        bytes += ",\n{\"name\":\"" + QByteArray::number(i * 7919) + "\"}";
    return bytes + "]]\n";
}

bool Write(const QString& path, const QByteArray& bytes, const QString& base = {}) {
    QString error;
    const auto out = base.isEmpty() ? platform::ScanOutput::open(path, error)
                                    : platform::ScanOutput::openDelta(path, base, error);
    return out && out->write(bytes.toStdString()) && out->finish() &&
           out->plainBytes() == quint64(bytes.size());
}

}  // namespace

class TestScanFile : public QObject {
    Q_OBJECT
private slots:
    void readsBackWhatItWrote_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("magic");
        QTest::addColumn<QString>("base");  // a delta's
        QTest::newRow("plain") << "s.json" << QByteArray("[1,2") << "";
        QTest::newRow("gzip") << "s.json.gz" << QByteArray("\x1f\x8b") << "";
        QTest::newRow("zstd") << "s.json.zst" << QByteArray("\x28\xb5\x2f\xfd") << "";
        QTest::newRow("delta") << "s.json.zst" << QByteArray("\x5d\x2a\x4d\x18") << "b.zst";
    }
    void readsBackWhatItWrote() {
        QFETCH(QString, name);
        QFETCH(QByteArray, magic);
        QFETCH(QString, base);
        const QTemporaryDir dir;
        const QByteArray bytes = Export(100000);  // several buffers' worth
        const QString path = dir.filePath(name);
        // A delta's base: the same with an entry less in the middle.
        QVERIFY(base.isEmpty() ||
                Write(dir.filePath(base), bytes.left(900000) + bytes.mid(900020)));
        QVERIFY(Write(path, bytes, base.isEmpty() ? "" : dir.filePath(base)));
        QFile raw(path);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QVERIFY(raw.readAll().startsWith(magic));
        QVERIFY(base.isEmpty() || raw.size() < 400);  // a few bytes a 128 KiB block
        QCOMPARE(ReadBack(path), bytes);
        QCOMPARE(test::Entries(dir.path()), (QStringList{base, name}.filter(".")));
        // Cut short, a compressed file says so rather than end early.
        if (name != u"s.json") {
            QVERIFY(QFile::resize(path, raw.size() / 2));
            QVERIFY(ReadBack(path).startsWith("error: " + path.toUtf8() + ": truncated"));
        }
    }

    // A delta whose base went, was cut short or was replaced: its read says so.
    void deltaWithABadBase_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QByteArray>("error");
        QTest::newRow("missing") << 0 << QByteArray("base snapshot b.zst is missing");
        QTest::newRow("cut") << 1
                             << QByteArray("base snapshot b.zst is corrupt (truncated zstd data)");
        QTest::newRow("replaced") << 2 << QByteArray("corrupt zstd data");  // by its checksum
    }
    void deltaWithABadBase() {
        QFETCH(int, fault);
        QFETCH(QByteArray, error);
        const QTemporaryDir dir;
        const QString base = dir.filePath("b.zst"), delta = dir.filePath("d");
        QVERIFY(Write(base, Export(300)) && Write(delta, Export(301), base));
        QVERIFY(fault != 0 || QFile::remove(base));
        QVERIFY(fault != 1 || QFile::resize(base, QFileInfo(base).size() / 2));
        QVERIFY(fault != 2 || Write(base, Export(300).replace('1', '2')));
        QCOMPARE(ReadBack(delta), "error: " + delta.toUtf8() + ": " + error);
    }

    // A thread swaps the target's folder with a symbolic link to another folder, thousands
    // of times, while exports run: each file is whole, in one folder, and no part is left.
    void staysInTheFolderItOpened() {
        const test::TempTree t;
        t.folder("a");
        t.folder("c");
        QVERIFY(::symlink(t.host("c").c_str(), t.host("l").c_str()) == 0);
        const QByteArray bytes = QByteArray(3000, 'x') + '\n';
        // Each export syncs its file: as many as half a second allows, at most 300.
        int next = 0;
        const auto race = [&](int& written) {
            written +=
                Write(QString::fromStdString(t.host("a/scan-" + std::to_string(next++))), bytes);
        };
        const auto [runs, written] = test::WhileSwapping(t.host("a"), t.host("l"), race, 300, 500);
        // Back to a folder named "a" for the count.
        struct stat st {};
        if (::lstat(t.host("a").c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            QVERIFY(::renameat2(AT_FDCWD, t.host("a").c_str(), AT_FDCWD, t.host("l").c_str(),
                                RENAME_EXCHANGE) == 0);
        const QStringList inA = t.entries("a"), inC = t.entries("c");
        QCOMPARE(inA.size() + inC.size(), written);
        QVERIFY(written > runs / 2);
        for (const auto& [folder, names] :
             {std::pair(t.host("a"), inA), std::pair(t.host("c"), inC)})
            for (const QString& name : names) {
                QVERIFY2(name.startsWith("scan-"), qPrintable(name));
                QVERIFY(!inA.contains(name) || !inC.contains(name));
                QFile f(QString::fromStdString(folder) + u'/' + name);
                QVERIFY(f.open(QIODevice::ReadOnly));
                QCOMPARE(f.readAll(), bytes);
            }
        QCOMPARE(t.entries(), (QStringList{"a", "c", "l"}));
    }
};

QTEST_GUILESS_MAIN(TestScanFile)
#include "tst_scan_file.moc"
