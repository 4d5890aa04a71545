// Folder Details walking the tree and handing a folder back to the Folder View, File
// Types listing every type, sorting by name and opening its File List.

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "dialogs/control_id.h"
#include "dialogs/file_list_dlg.h"
#include "dialogs/file_types_dlg.h"
#include "dialogs/folder_details_dlg.h"
#include "dialogs/folder_files_dlg.h"
#include "dialogs/hold_list_ctrl.h"
#include "dialogs/modal.h"
#include "engine/file_types.h"
#include "engine/folder_tree.h"
#include "engine/text.h"
#include "support/chart_host.h"

using namespace dovrane;

class TestDetailsDlgs : public QObject {
    Q_OBJECT

private slots:
    void walksDownAndUp() {
        // \a (50 in a\x, 150 in a's own files), \b (800), 0 bytes in the root's own files.
        platform::TestDevice device;
        device.addFile(u"\\a\\x\\f", 50).addFile(u"\\a\\g", 150).addFile(u"\\b\\h", 800);
        device.addFile(u"\\empty", 0);
        engine::FolderTree tree;
        engine::ScanFolder(device, tree, 16, {});
        dialogs::CFolderDetailsDlg dialog(&device);
        const engine::FolderNode* root = tree.root();
        dialog.SetFolder(root, root, engine::kRootDisplayPath);
        // No "In Folder" where the folder's own files hold no bytes.
        QCOMPARE(test::Rows(dialog.list()->model()),
                 QStringList({"b|800  B|80.0|80.0", "a|200  B|20.0|20.0"}));
        dialog.OnRowClick(1);  // into \a: its entries smallest first
        QCOMPARE(test::Rows(dialog.list()->model()),
                 QStringList({"x|50  B|25.0|5.0", "\"In Folder\"|150  B|75.0|15.0"}));
        QStringList shown;  // "In Folder" opens the folder's own files and stays
        dialogs::ScopedModalHook hook([&](QDialog& opened) {
            shown << test::Rows(dynamic_cast<dialogs::CFolderFilesDlg&>(opened).list()->model(), 0);
            return int(QDialog::Rejected);
        });
        dialog.OnRowClick(1);
        QCOMPARE(shown, QStringList{"g"});
        QCOMPARE(dialog.currentFolderLabel()->text(), QStringLiteral(" \\a"));
        emit dialog.list()->columnClicked(0);  // A..Z: quotes sort first
        QCOMPARE(test::Rows(dialog.list()->model()).first(), "\"In Folder\"|150  B|75.0|15.0");
        QTest::mouseClick(dialog.upButton(), Qt::LeftButton);  // up, then Z..A
        QCOMPARE(dialog.m_pCurrent, root);
        QCOMPARE(test::Rows(dialog.list()->model()).first(), "b|800  B|80.0|80.0");
        dialog.OnUp();  // at the root nothing happens
        QCOMPARE(dialog.m_pCurrent, root);
        emit dialog.list()->columnClicked(3);  // Tot % does not sort
        QCOMPARE(test::Rows(dialog.list()->model()).first(), "b|800  B|80.0|80.0");
        // OK sits over the header line: a click there must reach it.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QWidget* ok = dialogs::GetDlgItem(&dialog, dialogs::kIdOk);
        QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {}, ok->geometry().center());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void okShowsTheFolderInTheView() {
        test::ChartHost h;
        h.device.addFile(u"\\a\\x\\f", 50).addFile(u"\\b\\h", 800);
        h.Open(false);
        views::CFolderView& view = h.folder();
        int result = QDialog::Rejected;
        dialogs::ScopedModalHook hook([&](QDialog& d) {
            dynamic_cast<dialogs::CFolderDetailsDlg&>(d).OnRowClick(0);  // \b
            return result;
        });
        view.OpenFolderDetails();
        QCOMPARE(view.currentFolder(), view.rootFolder());
        result = QDialog::Accepted;
        view.OpenFolderDetails();
        QCOMPARE(engine::BuildFolderPath(view.currentFolder()), QStringLiteral("\\b"));
    }

    void fileTypesListsEveryType() {
        test::ChartHost h;
        for (int i = 0; i < 30; ++i)
            h.device.addFile(QStringLiteral("\\f%1.t%1").arg(i), 100 - static_cast<quint64>(i));
        h.device.addFile(u"\\noext", 1).addFile(u"\\dot.", 1);
        h.Open(true);
        QString listed;
        dialogs::ScopedModalHook hook([&](QDialog& d) {
            if (auto* types = dynamic_cast<dialogs::CFileTypesDlg*>(&d)) {
                const QStringList rows = test::Rows(types->list()->model());
                listed = QString::number(rows.size()) + u' ' + rows.first() + u' ' + rows.last();
                for (int tap = 0; tap < 2; ++tap) {  // A..Z, then Z..A
                    emit types->list()->columnClicked(0);
                    listed += u',' + test::Rows(types->list()->model()).first().section(u'|', 0, 0);
                }
                types->OnRowClick(1);  // opens the File List of the row shown: t8
            } else {
                auto& files = dynamic_cast<dialogs::CFileListDlg&>(d);
                listed += u' ' + files.m_pTypeStat->name + u':' +
                          files.list()->model()->index(0, 0).data().toString();
            }
            return int(QDialog::Rejected);
        });
        h.types().OpenFileTypes();
        const quint64 total = (100 + 71) * 30 / 2 + 2;
        QCOMPARE(listed, QStringLiteral("32 t0|100  B|%1 |1  B|%2,,t9 t8:f8.t8")
                             .arg(engine::ShareText(100, total), engine::ShareText(1, total)));
    }
};

QTEST_MAIN(TestDetailsDlgs)
#include "tst_details_dlgs.moc"
