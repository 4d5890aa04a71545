// The host's checked removal: only the file the scan met, never a folder, never through
// a link; the shortcut read; the host path of a device path.

#include <sys/stat.h>

#include <QFile>
#include <QTest>

#include "platform/host_device.h"
#include "support/temp_tree.h"

using namespace dovrane;
using platform::RemoveResult;

class TestFileDelete : public QObject {
    Q_OBJECT

private slots:
    void remove_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("identityOf");  // whose identity the scan saw
        QTest::addColumn<bool>("regular");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("stillThere");  // host path that must survive, if any
        QTest::newRow("the scanned file") << "\\d\\f"
                                          << "d/f" << true << int(RemoveResult::Removed) << "";
        QTest::newRow("another file under the name")
            << "\\d\\f"
            << "d/other" << true << int(RemoveResult::Failed) << "d/f";
        QTest::newRow("through a folder link")
            << "\\link\\f"
            << "d/f" << true << int(RemoveResult::Failed) << "d/f";
        QTest::newRow("a folder") << "\\d"
                                  << "d" << true << int(RemoveResult::Failed) << "d";
        QTest::newRow("a link, as a link")
            << "\\link"
            << "link" << false << int(RemoveResult::Removed) << "d/f";
        QTest::newRow("a link where a file was")
            << "\\link"
            << "link" << true << int(RemoveResult::Failed) << "link";
        QTest::newRow("nothing there") << "\\d\\none"
                                       << "d/f" << true << int(RemoveResult::Failed) << "d/f";
        QTest::newRow("the root") << "\\"
                                  << "d" << true << int(RemoveResult::Failed) << "d";
    }
    void remove() {
        QFETCH(QString, path);
        QFETCH(QString, identityOf);
        QFETCH(bool, regular);
        QFETCH(int, result);
        QFETCH(QString, stillThere);
        test::TempTree tmp;
        tmp.folder("d");
        tmp.file("d/f", 3);
        tmp.file("d/other", 3);
        QCOMPARE(::symlink("d", tmp.host("link").c_str()), 0);
        struct stat st {};
        QCOMPARE(::lstat(tmp.host(identityOf.toStdString()).c_str(), &st), 0);
        platform::HostDevice device(tmp.root());
        const platform::FileIdentity identity{{st.st_dev, st.st_ino}, regular};
        QCOMPARE(int(device.removeFile(path, identity, platform::RemoveMode::Delete)), result);
        if (!stillThere.isEmpty())
            QCOMPARE(::lstat(tmp.host(stillThere.toStdString()).c_str(), &st), 0);
        if (result == int(RemoveResult::Removed))
            QVERIFY(!QFileInfo(tmp.root() + path.replace(u'\\', u'/')).exists() &&
                    !QFileInfo(tmp.root() + path).isSymLink());
    }

    void trashNeedsAnExactPath() {
        test::TempTree tmp;
        tmp.folder("home");
        tmp.file("bad\xff", 1);
        const QByteArray previous = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(tmp.root() + "/home"));
        struct stat st {};
        QCOMPARE(::lstat(tmp.host("bad\xff").c_str(), &st), 0);
        platform::HostDevice device(tmp.root());
        const QString name = QStringLiteral("\\bad") + QChar(0xDCFF);
        const auto result =
            device.removeFile(name, {{st.st_dev, st.st_ino}, true}, platform::RemoveMode::Trash);
        qputenv("XDG_DATA_HOME", previous);
        QCOMPARE(int(result), int(RemoveResult::Failed));
        QCOMPARE(::lstat(tmp.host("bad\xff").c_str(), &st), 0);
    }

    void readsAndPaths() {
        test::TempTree tmp;
        tmp.folder("d");
        {
            QFile f(tmp.root() + "/d/s.lnk");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(300, 'x'));
        }
        QCOMPARE(::symlink("d/s.lnk", tmp.host("l.lnk").c_str()), 0);
        platform::HostDevice device(tmp.root());
        QCOMPARE(device.readFileStart(u"\\d\\s.lnk", 260)->size(), 260);
        QVERIFY(!device.readFileStart(u"\\l.lnk", 260));  // not through a link
        QVERIFY(!device.readFileStart(u"\\d", 260));
        QCOMPARE(device.hostPath(u"\\d\\s.lnk"), tmp.root() + "/d/s.lnk");
        const auto data = device.findFile(u"\\d\\s.lnk");
        QVERIFY(data && data->size == 300 && (data->attributes & platform::kAttributeArchive));
        QVERIFY(device.findFile(u"\\d")->isFolder());
        QVERIFY(!device.findFile(u"\\d\\none"));
    }
};

QTEST_MAIN(TestFileDelete)
#include "tst_file_delete.moc"
