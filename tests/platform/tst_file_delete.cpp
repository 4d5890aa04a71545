// The host's checked removal: only the file the scan met, never a folder, never through
// a link; the trash; the shortcut read.

#include <sys/stat.h>

#include <QFile>
#include <QTest>
#include <tuple>

#include "platform/host_device.h"
#include "platform/name_codec.h"
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
        const int removed = int(RemoveResult::Removed), failed = int(RemoveResult::Failed);
        const std::tuple<const char*, const char*, const char*, bool, int, const char*> rows[] = {
            {"the scanned file", "\\d\\f", "d/f", true, removed, ""},
            {"another file under the name", "\\d\\f", "d/other", true, failed, "d/f"},
            {"through a folder link", "\\link\\f", "d/f", true, failed, "d/f"},
            {"a folder", "\\d", "d", true, failed, "d"},
            {"a link, as a link", "\\link", "link", false, removed, "d/f"},
            {"a link where a file was", "\\link", "link", true, failed, "link"},
            {"nothing there", "\\d\\none", "d/f", true, failed, "d/f"},
            {"the root", "\\", "d", true, failed, "d"}};
        for (const auto& [tag, path, identityOf, regular, result, stillThere] : rows)
            QTest::newRow(tag) << QString(path) << QString(identityOf) << regular << result
                               << QString(stillThere);
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

    // A file goes to the user's trash with its record; a name the trash could not record
    // exactly stays where it is. Shortcuts are read only as themselves: never through a
    // link, never a folder.
    void trashAndShortcutReads() {
        test::TempTree tmp;
        tmp.folder("home");
        tmp.folder("d.lnk");
        tmp.file("old.txt", 7);
        tmp.file("bad\xff", 1);
        tmp.file("s.lnk", 300);
        QCOMPARE(::symlink("s.lnk", tmp.host("l.lnk").c_str()), 0);
        const QByteArray previous = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(tmp.root() + "/home"));
        platform::HostDevice device(tmp.root());
        struct stat st {};
        for (const auto& [name, result] :
             {std::pair("old.txt", RemoveResult::Removed), {"bad\xff", RemoveResult::Failed}}) {
            QCOMPARE(::lstat(tmp.host(name).c_str(), &st), 0);
            QCOMPARE(device.removeFile(u'\\' + platform::DecodeHostName(name),
                                       {{st.st_dev, st.st_ino}, true}, platform::RemoveMode::Trash),
                     result);
        }
        qputenv("XDG_DATA_HOME", previous);
        QVERIFY(QFileInfo::exists(tmp.root() + "/home/Trash/files/old.txt"));
        QCOMPARE(::lstat(tmp.host("bad\xff").c_str(), &st), 0);
        QVERIFY(!device.readFileStart(u"\\l.lnk", 260) && !device.readFileStart(u"\\d.lnk", 260));
        QVERIFY(device.findFile(u"\\s.lnk")->attributes & platform::kAttributeArchive);
    }
};

QTEST_MAIN(TestFileDelete)
#include "tst_file_delete.moc"
