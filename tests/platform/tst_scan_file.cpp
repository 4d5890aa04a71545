// Scan files on the host: compressed and plain bytes back as written, and an export that
// stays in the folder it was given while that folder's name is swapped for a link.

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

bool Write(const QString& path, const QByteArray& bytes) {
    QString error;
    const auto out = platform::ScanOutput::open(path, error);
    return out && out->write(bytes.toStdString()) && out->finish();
}

}  // namespace

class TestScanFile : public QObject {
    Q_OBJECT
private slots:
    void readsBackWhatItWrote_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("plain") << "s.json" << QByteArray("[1,2");
        QTest::newRow("gzip") << "s.json.gz" << QByteArray("\x1f\x8b");
        QTest::newRow("zstd") << "s.json.zst" << QByteArray("\x28\xb5\x2f\xfd");
    }
    void readsBackWhatItWrote() {
        QFETCH(QString, name);
        QFETCH(QByteArray, magic);
        const QTemporaryDir dir;
        QByteArray bytes = "[1,2,{},[{\"name\":\"/\"}";
        for (int i = 0; i < 100000; ++i)  // several buffers' worth, little repetition
            bytes += ",\n{\"name\":\"" + QByteArray::number(i * 7919) + "\"}";
        bytes += "]]\n";
        const QString path = dir.filePath(name);
        QVERIFY(Write(path, bytes));
        QFile raw(path);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QVERIFY(raw.readAll().startsWith(magic));
        QCOMPARE(ReadBack(path), bytes);
        QCOMPARE(test::Entries(dir.path()), QStringList{name});
        // Cut short, a compressed file says so rather than end early.
        if (name != u"s.json") {
            QVERIFY(QFile::resize(path, raw.size() / 2));
            QVERIFY(ReadBack(path).startsWith("error: " + path.toUtf8() + ": truncated"));
        }
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
