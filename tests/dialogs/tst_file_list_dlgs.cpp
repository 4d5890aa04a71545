// The file lists: sort orders and ties, the item menu by long press and right click,
// Delete and Move to Trash with their checks, Open with the shortcut rule, Properties.

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStandardPaths>
#include <QTest>
#include <ctime>

#include "dialogs/control_id.h"
#include "dialogs/file_list_dlg.h"
#include "dialogs/file_operations.h"
#include "dialogs/file_properties_dlg.h"
#include "dialogs/folder_files_dlg.h"
#include "dialogs/hold_list_ctrl.h"
#include "dialogs/modal.h"
#include "engine/file_list.h"
#include "engine/file_types.h"
#include "engine/folder_tree.h"
#include "engine/text.h"
#include "platform/host_device.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/test_device.h"
#include "support/temp_tree.h"

using namespace dovrane;
using dialogs::CFolderFilesDlg;
using platform::MessageBoxRequest;
using platform::MessageBoxResult;

namespace {

// The folder node for `path` of a tree scanned from `device`.
struct Scanned {
    explicit Scanned(platform::Device& device) { engine::ScanFolder(device, tree, 16, {}); }
    const engine::FolderNode* folder(const QString& path) {
        return engine::FindFolderByPath(tree.root(), engine::FoldCase(path));
    }
    engine::FolderTree tree;
};

QStringList Column(const dialogs::CHoldListCtrl* list, int column) {
    QStringList out;
    for (int r = 0; r < list->model()->rowCount(); ++r)
        out << list->model()->index(r, column).data().toString();
    return out;
}

// Records every box and answers Yes/No boxes with `answer`.
struct Boxes {
    explicit Boxes(MessageBoxResult answer = MessageBoxResult::Yes)
        : hook([this, answer](const MessageBoxRequest& r) {
              texts << r.text;
              return r.buttons == platform::MessageBoxButtons::YesNo ? answer
                                                                     : MessageBoxResult::Ok;
          }) {}
    QStringList texts;
    platform::ScopedMessageBoxHook hook;
};

}  // namespace

class TestFileListDlgs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("TZ", "UTC");
        tzset();
    }

    void sortSequence_data() {
        QTest::addColumn<QList<int>>("taps");
        QTest::addColumn<QStringList>("names");
        const QList<int> none;
        QTest::newRow("opens largest first, equal sizes in listing order")
            << none << QStringList{"big", "b", "B", "a", "c"};
        QTest::newRow("Size: smallest first")
            << QList<int>{1} << QStringList{"c", "a", "B", "b", "big"};
        QTest::newRow("Size twice: largest first again")
            << QList<int>{1, 1} << QStringList{"big", "b", "B", "a", "c"};
        QTest::newRow("File: A..Z, case-equal names last-listed first")
            << QList<int>{0} << QStringList{"a", "B", "b", "big", "c"};
        QTest::newRow("File twice: Z..A")
            << QList<int>{0, 0} << QStringList{"c", "big", "b", "B", "a"};
        QTest::newRow("Folder does nothing")
            << QList<int>{2} << QStringList{"big", "b", "B", "a", "c"};
        QTest::newRow("each column keeps its direction")
            << QList<int>{1, 0, 1} << QStringList{"big", "b", "B", "a", "c"};
    }
    void sortSequence() {
        QFETCH(QList<int>, taps);
        QFETCH(QStringList, names);
        platform::TestDevice device;
        device.addFile(u"\\d\\b", 50).addFile(u"\\d\\B", 50).addFile(u"\\d\\a", 20);
        device.addFile(u"\\d\\big", 5ull << 32).addFile(u"\\d\\c", 1).addFile(u"\\d\\sub\\x", 9);
        Scanned scan(device);
        CFolderFilesDlg dialog(&device);
        dialog.SetFolder(scan.folder(QStringLiteral("\\d")));
        for (const int column : taps)
            emit dialog.list()->columnClicked(column);
        QCOMPARE(Column(dialog.list(), 0), names);
    }

    void columnsAndTexts() {
        platform::TestDevice device;
        device.addFile(u"\\r.txt", 1023).addFile(u"\\k", 1024000).addFile(u"\\g", 5ull << 30);
        Scanned scan(device);
        CFolderFilesDlg dialog(&device);
        dialog.SetFolder(scan.tree.root());
        QCOMPARE(Column(dialog.list(), 1), QStringList({"5.2 GB", "1.0 MB", "1023  B"}));
        QCOMPARE(Column(dialog.list(), 2), QStringList({"\\", "\\", "\\"}));
        QCOMPARE(dialog.operations()->RowPath(2), QStringLiteral("\\r.txt"));
        const auto* model = dialog.list()->listModel();
        QCOMPARE(model->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Size");
        QCOMPARE(dialog.list()->horizontalHeader()->sectionSize(0), 125);
        QCOMPARE(dialog.list()->horizontalHeader()->sectionSize(2), 300);
        QVERIFY(model->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignRight);
    }

    void deleteKeepsTheFileInUse() {
        platform::TestDevice device;
        device.addFile(u"\\d\\one", 30).addFile(u"\\d\\two", 20).addFile(u"\\d\\three", 10);
        device.failToRemove(u"\\d\\two");
        Scanned scan(device);
        CFolderFilesDlg dialog(&device);
        dialog.SetFolder(scan.folder(QStringLiteral("\\d")));
        dialog.list()->SelectAllRows();
        Boxes boxes;
        dialog.operations()->OnDelete();
        QCOMPARE(boxes.texts,
                 QStringList({"Are you sure you want to delete all the selected 3 files? The "
                              "deleted files cannot be retrieved.",
                              dialogs::CannotDeleteText(QStringLiteral("\\d\\two"))}));
        QCOMPARE(device.removed(), QStringList({"\\d\\one", "\\d\\three"}));
        QCOMPARE(Column(dialog.list(), 0), QStringList{"two"});
        QVERIFY(dialog.list()->IsRowSelected(0));
        // Neither order brings the deleted files back.
        emit dialog.list()->columnClicked(0);
        QCOMPARE(Column(dialog.list(), 0), QStringList{"two"});
        emit dialog.list()->columnClicked(1);
        QCOMPARE(Column(dialog.list(), 0), QStringList{"two"});
    }

    void deleteAnswers_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rowsLeft");
        QTest::newRow("none selected")
            << 0 << int(MessageBoxResult::Yes) << "Please select one or more items to delete." << 2;
        QTest::newRow("one, No") << 1 << int(MessageBoxResult::No)
                                 << "Are you sure you want to delete the selected file? The "
                                    "deleted file cannot be retrieved."
                                 << 2;
        QTest::newRow("one, Yes") << 1 << int(MessageBoxResult::Yes)
                                  << "Are you sure you want to delete the selected file? The "
                                     "deleted file cannot be retrieved."
                                  << 1;
    }
    void deleteAnswers() {
        QFETCH(int, selected);
        QFETCH(int, answer);
        QFETCH(QString, text);
        QFETCH(int, rowsLeft);
        platform::TestDevice device;
        device.addFile(u"\\a", 2).addFile(u"\\b", 1);
        Scanned scan(device);
        CFolderFilesDlg dialog(&device);
        dialog.SetFolder(scan.tree.root());
        for (int r = 0; r < selected; ++r)
            dialog.list()->SelectRow(r);
        Boxes boxes(static_cast<MessageBoxResult>(answer));
        dialog.operations()->OnDelete();
        QCOMPARE(boxes.texts, QStringList{text});
        QCOMPARE(dialog.list()->model()->rowCount(), rowsLeft);
    }

    void hostDeleteChecksIdentity() {
        test::TempTree tmp;
        tmp.folder("d");
        tmp.file("d/kept", 10);
        tmp.file("d/gone", 5);
        tmp.folder("d/real");
        tmp.file("d/real/inside", 1);
        platform::HostDevice device(tmp.root());
        Scanned scan(device);
        CFolderFilesDlg dialog(&device);
        dialog.SetFolder(scan.folder(QStringLiteral("\\d")));
        QCOMPARE(Column(dialog.list(), 0), QStringList({"kept", "gone"}));
        // "kept" is replaced by another file of the same name; "gone" by a folder link.
        tmp.file("d/new", 10);
        QCOMPARE(::rename(tmp.host("d/new").c_str(), tmp.host("d/kept").c_str()), 0);
        QCOMPARE(::unlink(tmp.host("d/gone").c_str()), 0);
        QCOMPARE(::symlink("real", tmp.host("d/gone").c_str()), 0);
        dialog.list()->SelectAllRows();
        Boxes boxes;
        dialog.operations()->OnDelete();
        QCOMPARE(boxes.texts.mid(1),
                 QStringList({dialogs::CannotDeleteText(QStringLiteral("\\d\\kept")),
                              dialogs::CannotDeleteText(QStringLiteral("\\d\\gone"))}));
        QVERIFY(QFileInfo::exists(tmp.root() + "/d/kept"));
        QVERIFY(QFileInfo::exists(tmp.root() + "/d/real/inside"));
        QVERIFY(QFileInfo(tmp.root() + "/d/gone").isSymLink());
        QCOMPARE(dialog.list()->SelectedCount(), 2);
    }

    void hostDeleteInReadOnlyFolderAndOddNames() {
        test::TempTree tmp;
        tmp.folder("ro");
        tmp.file("ro/f", 1);
        tmp.file("back\\slash\nnew", 3);
        tmp.file("bad\xff", 2);
        QCOMPARE(::chmod(tmp.host("ro").c_str(), 0555), 0);
        platform::HostDevice device(tmp.root());
        Scanned scan(device);
        Boxes boxes;
        {
            CFolderFilesDlg dialog(&device);
            dialog.SetFolder(scan.folder(QStringLiteral("\\ro")));
            dialog.list()->SelectAllRows();
            dialog.operations()->OnDelete();
            // Root can write anywhere; the check only means something for other users.
            if (::geteuid() != 0) {
                QCOMPARE(boxes.texts.last(), dialogs::CannotDeleteText(QStringLiteral("\\ro\\f")));
                QCOMPARE(dialog.list()->model()->rowCount(), 1);
            }
        }
        ::chmod(tmp.host("ro").c_str(), 0755);
        CFolderFilesDlg dialog(&device);
        dialog.SetFolder(scan.tree.root());
        QCOMPARE(dialog.list()->model()->rowCount(), 2);
        dialog.list()->SelectAllRows();
        dialog.operations()->OnDelete();
        QCOMPARE(dialog.list()->model()->rowCount(), 0);
        QVERIFY(!QFileInfo::exists(tmp.root() + "/back\\slash\nnew"));
        QCOMPARE(::access(tmp.host("bad\xff").c_str(), F_OK), -1);
    }

    void moveToTrash() {
        test::TempTree tmp;
        tmp.folder("home");
        tmp.folder("files");
        tmp.file("files/old.txt", 7);
        const QByteArray previous = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(tmp.root() + "/home"));
        platform::HostDevice device(tmp.root());
        Scanned scan(device);
        CFolderFilesDlg dialog(&device);
        dialog.SetFolder(scan.folder(QStringLiteral("\\files")));
        dialog.list()->SelectRow(0);
        Boxes boxes;
        dialog.operations()->OnMoveToTrash();
        qputenv("XDG_DATA_HOME", previous);
        QCOMPARE(boxes.texts, QStringList{"Are you sure you want to move the selected file to the "
                                          "trash? It can be restored from the trash."});
        QVERIFY(!QFileInfo::exists(tmp.root() + "/files/old.txt"));
        QVERIFY(QFileInfo::exists(tmp.root() + "/home/Trash/files/old.txt"));
        QVERIFY(QFileInfo::exists(tmp.root() + "/home/Trash/info/old.txt.trashinfo"));
        QCOMPARE(dialog.list()->model()->rowCount(), 0);
    }

    void noTrash() {
        platform::TestDevice device;
        device.addFile(u"\\a", 1).setNoTrash(true);
        Scanned scan(device);
        CFolderFilesDlg dialog(&device);
        dialog.SetFolder(scan.tree.root());
        dialog.list()->SelectRow(0);
        Boxes boxes;
        dialog.operations()->OnMoveToTrash();
        QCOMPARE(boxes.texts.last(), dialogs::NoTrashText(QStringLiteral("\\a")));
        QVERIFY(device.removed().isEmpty());
        QVERIFY(dialog.list()->IsRowSelected(0));
    }

    void openShortcuts_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");  // empty: launched
        QTest::newRow("plain file") << QByteArray("a.txt") << QByteArray() << QString();
        QTest::newRow("upper-case LNK unchecked")
            << QByteArray("f.LNK") << QByteArray("10#\"\\dir\"") << QString();
        QTest::newRow("folder target")
            << QByteArray("f.lnk") << QByteArray("6#\"\\dir\"") << "Can't open shortcut folder";
        QTest::newRow("bare lnk is a shortcut")
            << QByteArray("xlnk") << QByteArray("6#\"\\dir\"") << "Can't open shortcut folder";
        QTest::newRow("file target")
            << QByteArray("f.lnk") << QByteArray("8#\"\\a.txt\"") << QString();
        QTest::newRow("missing target")
            << QByteArray("f.lnk") << QByteArray("8#\"\\nope\"") << "Can't open shortcut folder";
        QTest::newRow("no number")
            << QByteArray("f.lnk") << QByteArray("#\"\\a.txt\"") << "Can't open shortcut folder";
        QTest::newRow("260 bytes unchecked")
            << QByteArray("f.lnk") << (QByteArray("6#\"\\dir\"") + QByteArray(252, ' '))
            << QString();
        QTest::newRow("259 bytes checked")
            << QByteArray("f.lnk") << (QByteArray("6#\"\\dir\"") + QByteArray(251, ' '))
            << "Can't open shortcut folder";
        QTest::newRow("unreadable")
            << QByteArray("u.lnk") << QByteArray() << "Can't open shortcut.";
    }
    void openShortcuts() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        test::TempTree tmp;
        tmp.folder("dir");
        tmp.file("a.txt", 1);
        {
            QFile file(tmp.root() + "/" + QString::fromUtf8(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        if (name == "u.lnk" && ::geteuid() != 0)
            QCOMPARE(::chmod(tmp.host("u.lnk").c_str(), 0), 0);
        platform::HostDevice device(tmp.root());
        Scanned scan(device);
        CFolderFilesDlg dialog(&device);
        dialog.SetFolder(scan.tree.root());
        emit dialog.list()->columnClicked(0);  // A..Z
        const int row = static_cast<int>(Column(dialog.list(), 0).indexOf(QString::fromUtf8(name)));
        dialog.list()->SelectRow(row);
        QList<QUrl> launched;
        platform::ScopedLauncher launcher([&](const platform::LaunchRequest& r) {
            launched << r.url;
            return true;
        });
        Boxes boxes;
        dialog.operations()->OnOpen();
        if (name == "u.lnk" && ::geteuid() == 0)
            return;  // root reads any file
        QCOMPARE(boxes.texts, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(launched.size(), message.isEmpty() ? 1 : 0);
        if (!launched.isEmpty())
            QCOMPARE(launched[0].toLocalFile(), tmp.root() + "/" + QString::fromUtf8(name));
    }

    void menuFromLongPressAndRightClick() {
        platform::TestDevice device;
        device.addFile(u"\\a", 3).addFile(u"\\b", 2).addFile(u"\\c", 1);
        Scanned scan(device);
        CFolderFilesDlg dialog(&device);
        dialog.resize(240, 320);
        dialog.SetFolder(scan.tree.root());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialogs::CHoldListCtrl* list = dialog.list();
        QStringList shown;  // each menu as "Open:0 Delete:1 ..." (enabled flags)
        dialogs::ScopedPopupMenuHook hook([&](QMenu& menu, QPoint) -> QAction* {
            QStringList items;
            for (QAction* a : menu.actions())
                if (!a->isSeparator())
                    items << a->text() + u':' + QString::number(a->isEnabled());
            shown << items.join(u' ');
            return nullptr;
        });
        const QPoint row0 = list->visualRect(list->model()->index(0, 0)).center();
        const QPoint row1 = list->visualRect(list->model()->index(1, 0)).center();

        // A press held 500 ms on the row it selects.
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, row0);
        QTest::qWait(200);
        QVERIFY(shown.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 1000);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, row0);
        QCOMPARE(shown[0], "Open:1 Delete:1 Move to Trash:1 Properties:1 Select All:1");

        // A quick tap opens nothing.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row0);
        QTest::qWait(kWaitBeyondLongPress);
        QCOMPARE(shown.size(), 1);

        // A right click on a row that is not selected opens nothing: the emit is the
        // viewport's context event at that point.
        list->SelectRow(2);
        emit list->tapHold(row1);
        QCOMPARE(shown.size(), 1);

        // Right click on a selected row, two rows selected: Open and Properties grayed.
        QContextMenuEvent event(QContextMenuEvent::Mouse, row0,
                                list->viewport()->mapToGlobal(row0));
        QApplication::sendEvent(list->viewport(), &event);
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1], "Open:0 Delete:1 Move to Trash:1 Properties:0 Select All:1");
    }

    void menuCommandsRun() {
        platform::TestDevice device;
        device.addFile(u"\\a", 3).addFile(u"\\b", 2);
        Scanned scan(device);
        CFolderFilesDlg dialog(&device);
        dialog.SetFolder(scan.tree.root());
        dialog.list()->SelectRow(1);
        QStringList opened;
        dialogs::ScopedModalHook modal([&](QDialog& d) {
            auto& props = dynamic_cast<dialogs::CFilePropertiesDlg&>(d);
            opened << props.folder() + u'|' + props.fileName();
            return int(QDialog::Accepted);
        });
        dialogs::ScopedPopupMenuHook menu([](QMenu& m, QPoint) {
            return m.findChild<QAction*>(QString::number(dialogs::kIdSelectAll))
                       ? m.actions().last()
                       : nullptr;
        });
        dialog.operations()->OnCommand(dialogs::kIdProperties);
        QCOMPARE(opened, QStringList{"\\|b"});
        const QPoint row1 = dialog.list()->visualRect(dialog.list()->model()->index(1, 0)).center();
        dialog.operations()->OnContextMenu(row1);  // chooses Select All
        QCOMPARE(dialog.list()->SelectedCount(), 2);
    }

    void doubleTap_data() {
        QTest::addColumn<bool>("typeList");
        QTest::addColumn<int>("opened");
        QTest::newRow("File List: Properties") << true << 1;
        QTest::newRow("Files in Folder: nothing") << false << 0;
    }
    void doubleTap() {
        QFETCH(bool, typeList);
        QFETCH(int, opened);
        platform::TestDevice device;
        device.addFile(u"\\a.t", 3).addFile(u"\\b.t", 2);
        engine::FileTypeTable table;
        table.AggregateFileTypes(device, {});
        table.ComputeFileTypeTotals(16);
        Scanned scan(device);
        std::unique_ptr<dialogs::CFileListDialogBase> dialog;
        if (typeList) {
            auto* list = new dialogs::CFileListDlg(&device);
            list->SetFileType(table.fileTypesBySize()[0], &table.list());
            dialog.reset(list);
        } else {
            auto* files = new CFolderFilesDlg(&device);
            files->SetFolder(scan.tree.root());
            dialog.reset(files);
        }
        dialog->resize(240, 320);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QStringList shown;
        dialogs::ScopedModalHook modal([&](QDialog& d) {
            shown << dynamic_cast<dialogs::CFilePropertiesDlg&>(d).fileName();
            return int(QDialog::Accepted);
        });
        const QRect row1 = dialog->list()->visualRect(dialog->list()->model()->index(1, 0));
        // The press of a double tap comes first, as from a real mouse.
        QTest::mousePress(dialog->list()->viewport(), Qt::LeftButton, {}, row1.center());
        QTest::mouseRelease(dialog->list()->viewport(), Qt::LeftButton, {}, row1.center());
        QTest::mouseDClick(dialog->list()->viewport(), Qt::LeftButton, {}, row1.center());
        QCOMPARE(shown.size(), opened);
        if (opened)
            QCOMPARE(shown[0], "b.t");
    }

    void fileListDeleteShortensTheType() {
        platform::TestDevice device;
        device.addFile(u"\\a.t", 3).addFile(u"\\b.t", 2).addFile(u"\\c.t", 1);
        engine::FileTypeTable table;
        table.AggregateFileTypes(device, {});
        table.ComputeFileTypeTotals(16);
        engine::FileTypeStat* type = table.fileTypesBySize()[0];
        dialogs::CFileListDlg dialog(&device);
        dialog.SetFileType(type, &table.list());
        dialog.list()->SelectRow(1);
        Boxes boxes;
        dialog.operations()->OnDelete();
        QCOMPARE(type->filesBySize.size(), size_t{2});
        QCOMPARE(type->filesByName.size(), size_t{2});
        QCOMPARE(type->totalSize, quint64{6});  // figures stay until Refresh
        dialogs::CFileListDlg again(&device);
        again.SetFileType(type, &table.list());
        QCOMPARE(Column(again.list(), 0), QStringList({"a.t", "c.t"}));
    }

    void propertiesTexts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<quint64>("size");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("sizeText");
        QTest::newRow("no dot") << "README" << quint64(1023) << "README"
                                << "1023 B";
        QTest::newRow("first dot") << "archive.tar.gz" << quint64(1024) << "tar.gz"
                                   << "1.00 K";
        QTest::newRow("5 MiB") << "a.b" << quint64(5242880) << "b"
                               << "5120.00 K";
        QTest::newRow("beyond 4 GiB") << "a.iso" << (5ull << 30) << "iso"
                                      << "5242880.00 K";
    }
    void propertiesTexts() {
        QFETCH(QString, name);
        QFETCH(quint64, size);
        QFETCH(QString, type);
        QFETCH(QString, sizeText);
        platform::TestDevice device;
        device.addFile(QStringLiteral("\\Windows\\Fonts\\") + name, size,
                       platform::kAttributeReadOnly);
        dialogs::CFilePropertiesDlg dialog(nullptr, QStringLiteral("  ") + name + u' ',
                                           QStringLiteral(" \\Windows\\Fonts "), &device);
        const auto text = [&](int id) { return dialogs::GetDlgItem<QLabel>(&dialog, id)->text(); };
        QCOMPARE(text(dialogs::kIdPropName), name);
        QCOMPARE(text(dialogs::kIdPropType), type);
        QCOMPARE(text(dialogs::kIdPropFolder), QStringLiteral(" \\Windows \\Fonts"));
        QCOMPARE(text(dialogs::kIdPropSize), sizeText);
        const auto box = [&](int id) { return dialogs::GetDlgItem<QCheckBox>(&dialog, id); };
        QVERIFY(box(dialogs::kIdPropReadOnly)->isChecked());
        QVERIFY(!box(dialogs::kIdPropHidden)->isChecked());
        QVERIFY(box(dialogs::kIdPropArchive)->isChecked());
        QVERIFY(!box(dialogs::kIdPropArchive)->isEnabled());
        QVERIFY(!dialog.icon().isNull());
    }

    void propertiesTimes_data() {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("just after midnight")
            << QDateTime(QDate(2002, 1, 3), QTime(0, 5, 9), Qt::UTC) << "01/03/2002, 0:05:09 AM";
        QTest::newRow("noon is AM")
            << QDateTime(QDate(2002, 1, 3), QTime(12, 30, 0), Qt::UTC) << "01/03/2002, 12:30:00 AM";
        QTest::newRow("one PM") << QDateTime(QDate(2026, 12, 6), QTime(13, 0, 0), Qt::UTC)
                                << "12/06/2026, 1:00:00 PM";
    }
    void propertiesTimes() {
        QFETCH(QDateTime, time);
        QFETCH(QString, text);
        QCOMPARE(dialogs::PropertiesTimeText(time.toMSecsSinceEpoch() * 1000000), text);
    }

    void propertiesOfOddNames() {
        test::TempTree tmp;
        tmp.file("back\\slash\nline.txt", 1500);
        tmp.file("bad\xff.bin", 12);
        platform::HostDevice device(tmp.root());
        Scanned scan(device);
        CFolderFilesDlg dialog(&device);
        dialog.SetFolder(scan.tree.root());
        QStringList sizes;
        dialogs::ScopedModalHook modal([&](QDialog& d) {
            sizes << dialogs::GetDlgItem<QLabel>(&d, dialogs::kIdPropSize)->text();
            return int(QDialog::Accepted);
        });
        for (int row = 0; row < 2; ++row) {
            dialog.list()->clearSelection();
            dialog.list()->SelectRow(row);
            dialog.operations()->OnProperties();
        }
        QCOMPARE(sizes, QStringList({"1.46 K", "12 B"}));
    }

    void propertiesOfAVanishedFile() {
        platform::TestDevice device;
        dialogs::CFilePropertiesDlg dialog(nullptr, QStringLiteral("gone.txt"),
                                           QStringLiteral("\\"), &device);
        QCOMPARE(dialogs::GetDlgItem<QLabel>(&dialog, dialogs::kIdPropType)->text(), "txt");
        QCOMPARE(dialogs::GetDlgItem<QLabel>(&dialog, dialogs::kIdPropSize)->text(), QString());
        QVERIFY(!dialogs::GetDlgItem<QCheckBox>(&dialog, dialogs::kIdPropArchive)->isChecked());
    }

private:
    static constexpr int kWaitBeyondLongPress = dialogs::kLongPressMs + 150;
};

QTEST_MAIN(TestFileListDlgs)
#include "tst_file_list_dlgs.moc"
