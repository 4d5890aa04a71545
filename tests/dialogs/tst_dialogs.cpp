// The dialogs: frame, About, Overview details, Preferences, picker, file lists, Properties.

#include <QApplication>
#include <QCheckBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <ctime>
#include <memory>

#include "dialogs/about_dlg.h"
#include "dialogs/analyzer_dialog.h"
#include "dialogs/color_list.h"
#include "dialogs/color_picker_dlg.h"
#include "dialogs/colors.h"
#include "dialogs/control_id.h"
#include "dialogs/file_list_dlg.h"
#include "dialogs/file_operations.h"
#include "dialogs/file_properties_dlg.h"
#include "dialogs/folder_files_dlg.h"
#include "dialogs/hold_list_ctrl.h"
#include "dialogs/modal.h"
#include "dialogs/overview_dlg.h"
#include "dialogs/preferences_dlg.h"
#include "engine/file_list.h"
#include "engine/file_types.h"
#include "engine/folder_tree.h"
#include "engine/text.h"
#include "platform/host_device.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "support/overview_figures.h"
#include "support/probes.h"
#include "support/sqlite_files.h"
#include "support/temp_tree.h"

using namespace dovrane;
using dialogs::CFolderFilesDlg;
using dialogs::COverviewDlg;
using dialogs::GetDlgItem;
using engine::ColorRef;
using engine::kDefaultSliceColors;
using platform::MessageBoxResult;
using test::PixelAt;
using test::RecordedBoxes;
using test::Rgb;

namespace {

// A dialog of the frame with a title and, when asked, a Cancel button somewhere else.
class TitledDialog : public dialogs::CAnalyzerDialog {
public:
    TitledDialog(const QString& title, bool withCancel) : CAnalyzerDialog(150) {
        m_strTitle = title;
        if (withCancel)
            CreateCancelButton()->setGeometry(10, 100, 60, 20);
    }
};

struct Prefs {
    explicit Prefs(const QString& profileFile = {})
        : profile(profileFile.isEmpty() ? file() : profileFile) {
        dialog.colorTable = &table;
        dialog.numberOfSlices = &count;
        dialog.profile = &profile;
        dialog.show();
    }
    dialogs::CColorList& list() const { return *dialog.colorList(); }
    void Press(int id) { QTest::mouseClick(GetDlgItem<QWidget>(&dialog, id), Qt::LeftButton); }
    QString file() const { return dir.filePath(QStringLiteral("p.ini")); }

    QTemporaryDir dir;
    engine::SliceColors table = kDefaultSliceColors;
    int count = 16;
    platform::Profile profile;
    dialogs::CPreferencesDlg dialog;
    test::RecordedBoxes boxes;
};

// Files in Folder over `folder` (the root when empty) of a tree scanned from `device`.
struct Files {
    explicit Files(platform::Device& device, const QString& folder = {}) : dialog(&device) {
        engine::ScanFolder(device, tree, 16, {});
        dialog.SetFolder(folder.isEmpty()
                             ? tree.root()
                             : engine::FindFolderByPath(tree.root(), engine::FoldCase(folder)));
    }
    QStringList names() const { return test::Rows(dialog.list()->model(), 0); }
    dialogs::CHoldListCtrl* list() const { return dialog.list(); }
    void Delete() { dialog.operations()->OnDelete(); }
    engine::FolderTree tree;
    CFolderFilesDlg dialog;
};

// The types of the files on `device`, largest first.
struct Types {
    explicit Types(platform::Device& device) {
        table.AggregateFileTypes(device, {});
        table.ComputeFileTypeTotals(16);
    }
    engine::FileTypeStat* first() { return table.fileTypesBySize()[0]; }
    engine::FileTypeTable table;
};

}  // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("TZ", "UTC");
        tzset();
    }

    void headerCancelAndLine() {
        QVERIFY(!GetDlgItem<QPushButton>(
            std::make_unique<TitledDialog>(QStringLiteral("x"), false).get(), dialogs::kIdCancel));
        TitledDialog dialog(QStringLiteral("File List"), true);
        dialog.resize(240, 320);
        dialog.show();
        const auto* header = GetDlgItem<QLabel>(&dialog, dialogs::kIdHeader);
        QCOMPARE(header->text(), QStringLiteral("File List"));
        QCOMPARE(header->palette().color(QPalette::WindowText), dialogs::kBlue);
        // The line under the header across the whole width, white below it.
        const QImage image = dialog.grab().toImage();
        for (const int x : {0, 200, 239})
            QCOMPARE((QList{test::PixelAt(image, {x, 23}), test::PixelAt(image, {x, 24})}),
                     (QList<QRgb>{0, 0xFFFFFF}));
        QTest::mouseClick(GetDlgItem<QPushButton>(&dialog, dialogs::kIdCancel), Qt::LeftButton);
        QVERIFY(dialog.result() == QDialog::Rejected && !dialog.isVisible());
    }

    void aboutBox() {
        dialogs::CAboutDlg about;
        about.show();
        // Text, and whether large: 14 points bold (600, not 700) in blue, else Tahoma 9.
        for (const auto& [id, text, large] :
             {std::tuple(dialogs::kIdAboutName, "Dovrane Storage Analyzer", true),
              {dialogs::kIdAboutPlatform, "for Pocket PC", true},
              {dialogs::kIdAboutVersion, "Version 2.0", false}}) {
            const auto* label = GetDlgItem<QLabel>(&about, id);
            QCOMPARE(label->text(), QString::fromLatin1(text));
            QCOMPARE(std::tuple(label->font().pixelSize(), int(label->font().weight()),
                                label->palette().color(QPalette::WindowText) == dialogs::kBlue),
                     large ? std::tuple(18, 600, true) : std::tuple(12, 400, false));
        }
        QCOMPARE(about.findChildren<QPushButton*>(), QList<QPushButton*>{about.okButton()});
    }

    // The Overview details: its ten figures, the card it shows, its colours.
    void overviewValues() {
        const QStringList memory{"24.00 MB", "8.00 MB",  "6.00 MB", "2.00 MB",
                                 "16.00 MB", "12.00 MB", "4.00 MB"};
        // With cards, the card chosen, the values in the template's order.
        for (const auto& [cards, card, values] :
             {std::tuple(false, -1, memory + QStringList{"", "", ""}),
              {true, 1, memory + QStringList{"0.95 MB", "0.48 MB", "0.48 MB"}},
              {true, -1, memory + QStringList{"4.00 MB", "1.00 MB", "3.00 MB"}}}) {  // the first
            const test::Case name(QStringLiteral("cards %1, card %2").arg(cards).arg(card));
            platform::TestDevice device;
            test::SetupOverview(device, cards);
            COverviewDlg dialog(device);
            dialog.m_nCard = card;
            dialog.show();
            QCOMPARE(dialog.header()->text(), QStringLiteral("Overview"));
            QStringList got;
            for (const COverviewDlg::Row& row : COverviewDlg::Rows())
                got.append(dialogs::GetDlgItem<QLabel>(&dialog, row.valueId)->text());
            QCOMPARE(got, values);
        }
    }

    // Preferences and the colour picker.
    void preferencesRangeCheckOnOK() {
        for (const auto& [text, stored] : std::initializer_list<std::pair<const char*, int>>{
                 {"4", 0}, {"5", 5}, {"25", 25}, {"26", 0}, {"", 0}, {" 7 ", 7}}) {
            const test::Case name(text);  // stored 0: refused
            Prefs p;
            p.dialog.slicesEdit()->setText(QString::fromLatin1(text));
            p.Press(dialogs::kIdOk);
            QCOMPARE(p.boxes.texts,
                     QStringList(stored ? 0 : 1, "Please enter an integer between 5 and 25."));
            QCOMPARE(p.count, stored ? stored : 16);
        }
    }

    void moves() {
        const int up = dialogs::kIdMoveUp, down = dialogs::kIdMoveDown;
        // Selected, presses, factory indexes of the first rows after, selected after, boxes, beeps.
        const std::tuple<int, QList<int>, QList<int>, int, int, int> cases[] = {
            {-1, {up}, {0, 1}, -1, 1, 0},
            {0, {up}, {0, 1}, 0, 0, 1},
            {15, {down}, {0, 1}, 15, 0, 1},
            {0, {down, down}, {1, 2, 0, 3}, 2, 0, 0}};
        for (const auto& [selected, presses, order, after, boxes, beeps] : cases) {
            const test::Case name(QString::number(selected));
            Prefs p;
            p.list().SetSelected(selected);
            for (const int id : presses)
                p.Press(id);
            QCOMPARE(p.boxes.texts,
                     QStringList(boxes, "Please select a color in the list to move."));
            QCOMPARE(p.boxes.beeps, beeps);
            QCOMPARE(p.list().selected(), after);
            std::vector<ColorRef> expected(kDefaultSliceColors.begin(), kDefaultSliceColors.end());
            for (int i = 0; i < order.size(); ++i)
                expected[size_t(i)] = kDefaultSliceColors[size_t(order[i])];
            QCOMPARE(p.list().colors, expected);  // the rows further down never move
            QCOMPARE(p.table, kDefaultSliceColors);
        }
    }

    void moveScrollsTheSelectionIntoViewAndTapsFollowTheScroll() {
        Prefs p;
        p.list().SetSelected(15);
        p.Press(dialogs::kIdMoveUp);  // to row 14, below the rows shown
        QCOMPARE(p.list().scrollPos(), 20 * 15 - p.list().viewport()->height());
        QCOMPARE(p.list().verticalScrollBar()->value(), p.list().scrollPos());
        p.list().SetSelected(1);
        p.Press(dialogs::kIdMoveUp);  // to row 0, above them
        QCOMPARE(p.list().scrollPos(), 0);
        p.list().verticalScrollBar()->setValue(40);
        QTest::mouseClick(p.list().viewport(), Qt::LeftButton, {}, QPoint(60, 5));
        QCOMPARE(p.list().selected(), 2);  // (40 + 5) / 20
    }

    void changeThroughThePicker() {
        for (const bool ok : {true, false}) {
            const test::Case name(ok ? "OK" : "Cancel");
            Prefs p;
            p.Press(dialogs::kIdChange);
            QCOMPARE(p.boxes.texts, QStringList{"Please select a color in the list to change."});
            p.list().SetSelected(1);
            ColorRef opened = 0;
            QTimer::singleShot(0, [&] {
                auto* picker =
                    qobject_cast<dialogs::CColorPickerDlg*>(QApplication::activeModalWidget());
                opened = picker->color();
                QTest::mouseClick(GetDlgItem<QWidget>(picker, 2010), Qt::LeftButton);
                QTest::keyClick(picker, ok ? Qt::Key_Return : Qt::Key_Escape);
                if (picker->isVisible())
                    picker->reject();  // a failure must not leave the test waiting
            });
            if (ok)  // and by a double click on the row
                QTest::mouseDClick(p.list().viewport(), Qt::LeftButton, {}, QPoint(60, 25));
            else
                p.Press(dialogs::kIdChange);
            const ColorRef expected = ok ? 0x408080 : 0x008000;
            QCOMPARE(opened, ColorRef(0x008000));
            QCOMPARE(p.list().colors[1], expected);
            QCOMPARE(PixelAt(p.list().image(), {40, 30}), Rgb(expected));
        }
    }

    // One step from any 32-bit value lands in 5 to 25, never wrapping; no number: from `given`.
    void slicesStepsStayInRange() {
        // Given, shown, step (+1 up), by key, after.
        for (const auto& [given, shown, step, key, after] :
             {std::tuple(16, "2147483647", 1, false, "25"),
              {16, "2147483647", -1, false, "25"},
              {16, "-2147483648", -1, true, "5"},
              {16, "16", 1, false, "17"},
              {-2147483647 - 1, "", -1, false, "5"}}) {
            const test::Case name(QString::fromLatin1(shown) + QString::number(step));
            Prefs p;
            p.dialog.slices = given;
            p.dialog.slicesEdit()->setText(QString::fromLatin1(shown));
            const auto arrows = GetDlgItem<QWidget>(&p.dialog, dialogs::kIdSlicesUpDown)
                                    ->findChildren<QToolButton*>();
            if (key)
                QTest::keyClick(p.dialog.slicesEdit(), step > 0 ? Qt::Key_Up : Qt::Key_Down);
            else
                QTest::mouseClick(arrows[(arrows[0]->arrowType() == Qt::UpArrow) == (step < 0)],
                                  Qt::LeftButton);
            QCOMPARE(p.dialog.slicesEdit()->text(), QString::fromLatin1(after));
        }
    }

    void unwritableProfileIsReportedOnceAndStillApplies() {
        QTemporaryFile blocker;
        QVERIFY(blocker.open());
        Prefs p(blocker.fileName() + QStringLiteral("/p.ini"));  // under a file: cannot be made
        p.dialog.slicesEdit()->setText(QStringLiteral("6"));
        p.Press(dialogs::kIdOk);
        QVERIFY(p.boxes.texts.size() == 1 &&
                p.boxes.texts[0].startsWith(u"The preferences could not be saved to "));
        QVERIFY(p.dialog.result() == QDialog::Accepted && p.count == 6);
    }

    void sortSequence() {
        // Taps on the columns, the names then. Equal sizes stay in listing order; case-equal
        // names sort last-listed first; Folder does nothing; each column keeps its direction.
        const QStringList bySize{"big", "b", "B", "a", "c"};
        for (const auto& [taps, names] : {std::pair(QList<int>{}, bySize),
                                          {{1}, {"c", "a", "B", "b", "big"}},
                                          {{0}, {"a", "B", "b", "big", "c"}},
                                          {{0, 0}, {"c", "big", "b", "B", "a"}},
                                          {{2}, bySize},
                                          {{1, 0, 1}, bySize}}) {
            platform::TestDevice device;
            device.addFile(u"\\d\\b", 50).addFile(u"\\d\\B", 50).addFile(u"\\d\\a", 20);
            device.addFile(u"\\d\\big", 5ull << 32)
                .addFile(u"\\d\\c", 1)
                .addFile(u"\\d\\sub\\x", 9);
            Files f(device, QStringLiteral("\\d"));
            for (const int column : taps)
                emit f.list()->columnClicked(column);
            QCOMPARE(f.names(), names);
        }
    }

    // Row name: the way in (Delete or Trash: the command) and what is selected.
    void deleteTrashAndKeys_data() {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<int>("selected");  // the first rows; -1: Select All
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("properties");
        const QString one = QStringLiteral(
            "Are you sure you want to delete the selected file? The deleted file cannot be "
            "retrieved.");
        const QStringList none;
        const QKeyCombination command, del(Qt::Key_Delete), enter(Qt::Key_Return);
        const int yes = int(MessageBoxResult::Yes);
        QTest::newRow("Delete, none selected")
            << command << 0 << yes << QStringList{"Please select one or more items to delete."}
            << none << none;
        QTest::newRow("Delete, one, No")
            << command << 1 << int(MessageBoxResult::No) << QStringList{one} << none << none;
        QTest::newRow("Delete, all, one in use")
            << command << -1 << yes
            << QStringList{"Are you sure you want to delete all the selected 3 files? The "
                           "deleted files cannot be retrieved.",
                           dialogs::CannotDeleteText(QStringLiteral("\\three"))}
            << QStringList{"\\one", "\\two"} << none;
        QTest::newRow("Trash, no trash there")
            << command << 1 << yes
            << QStringList{"Are you sure you want to move the selected file to the trash? It can "
                           "be restored from the trash.",
                           dialogs::NoTrashText(QStringLiteral("\\one"))}
            << none << none;
        QTest::newRow("Delete key, two rows")
            << del << 2 << yes
            << QStringList{"Are you sure you want to move all the selected 2 files to the trash? "
                           "They can be restored from the trash."}
            << QStringList{"\\one (trash)", "\\two (trash)"} << none;
        QTest::newRow("Shift+Delete") << (Qt::SHIFT | Qt::Key_Delete) << 1 << yes
                                      << QStringList{one} << QStringList{"\\one"} << none;
        QTest::newRow("Delete key, none selected")
            << del << 0 << yes
            << QStringList{"Please select one or more items to move to the trash."} << none << none;
        QTest::newRow("Enter") << enter << 1 << yes << none << none << QStringList{"one"};
        QTest::newRow("Enter, two rows") << enter << 2 << yes << none << none << none;
    }

    void deleteTrashAndKeys() {
        QFETCH(QKeyCombination, key);
        QFETCH(int, selected);
        QFETCH(int, answer);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, properties);
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        platform::TestDevice device;
        device.addFile(u"\\one", 30).addFile(u"\\two", 20).addFile(u"\\three", 10);
        device.failToRemove(u"\\three").setNoTrash(tag.startsWith(u"Trash"));
        Files f(device);
        f.dialog.show();
        f.dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.dialog));
        if (selected < 0)
            f.list()->SelectAllRows();
        for (int row = 0; row < selected; ++row)
            f.list()->SelectRow(row);
        f.list()->setFocus();
        QStringList shown;
        dialogs::ScopedModalHook modal([&](QDialog& d) {
            shown << dynamic_cast<dialogs::CFilePropertiesDlg&>(d).fileName();
            return int(QDialog::Accepted);
        });
        RecordedBoxes recorded(static_cast<MessageBoxResult>(answer));
        if (key != QKeyCombination())
            QTest::keyClick(f.list(), key.key(), key.keyboardModifiers());
        else
            tag.startsWith(u"Trash") ? f.dialog.operations()->OnMoveToTrash() : f.Delete();
        QCOMPARE(recorded.texts, boxes);
        QCOMPARE(device.removed(), removed);
        QCOMPARE(shown, properties);
        QVERIFY(f.dialog.isVisible());  // Enter on the list is never the dialog's button
        // What was refused or declined stays selected, and no order brings the deleted back.
        const int left = 3 - int(removed.size());
        QCOMPARE(f.list()->SelectedCount(), removed.isEmpty() ? (selected < 0 ? 3 : selected)
                                            : selected < 0    ? left
                                                              : 0);
        emit f.list()->columnClicked(1);
        emit f.list()->columnClicked(0);
        QCOMPARE(f.names().size(), left);
    }

    // Several files that cannot go make one box, a line each with its reason.
    void severalFailuresOneBox() {
        test::TempTree tmp;
        for (const char* name : {"a", "b", "c"})
            tmp.file(name, 10);
        platform::HostDevice device(tmp.root());
        Files f(device);
        // "a" replaced since the scan: the new file is made first, so its inode differs.
        tmp.file("new", 10);
        QCOMPARE(::rename(tmp.host("new").c_str(), tmp.host("a").c_str()), 0);
        QCOMPARE(::unlink(tmp.host("c").c_str()), 0);  // gone since the scan
        QStringList lines, left = f.names();
        left.removeOne("b");
        for (const QString& name : left)
            lines << dialogs::CannotDeleteText(u'\\' + name) +
                         (name == "a" ? " (it is no longer the file that was listed)"
                                      : " (No such file or directory)");
        f.list()->SelectAllRows();
        RecordedBoxes boxes;
        f.Delete();
        QCOMPARE(boxes.texts.size(), 2);
        QCOMPARE(boxes.texts.last(), lines.join(u'\n'));
        QCOMPARE(f.names(), left);
        QVERIFY(!QFile::exists(tmp.root() + "/b") && QFile::exists(tmp.root() + "/a"));
    }

    void openShortcuts() {
        const QByteArray dir("6#\"\\dir\""), pad251(251, ' ');
        const char* folder = "Can't open shortcut folder";
        // The file opened, its bytes, the box shown (none: launched).
        for (const auto& [name, content, message] :
             {std::tuple<QByteArray, QByteArray, QString>("a.txt", {}, ""),
              {"f.LNK", "10#\"\\dir\"", ""},  // upper case: no shortcut
              {"f.lnk", dir, folder},
              {"xlnk", dir, folder},  // without a dot all the same
              {"f.lnk", "8#\"\\a.txt\"", ""},
              {"f.lnk", "8#\"\\nope\"", folder},
              {"f.lnk", dir + pad251 + ' ', ""},  // 260 bytes: unchecked
              {"f.lnk", dir + pad251, folder},    // 259 bytes: checked
              {"u.lnk", {}, "Can't open shortcut."}}) {
            if (name == "u.lnk" && ::geteuid() == 0)
                continue;  // root reads any file
            const test::Case row(QString::fromLatin1(name + ' ' + content));
            test::TempTree tmp;
            tmp.folder("dir");
            tmp.file("a.txt", 1);
            test::WriteBytes(tmp.host(name.toStdString()), content);
            if (name == "u.lnk")
                QCOMPARE(::chmod(tmp.host("u.lnk").c_str(), 0), 0);
            platform::HostDevice device(tmp.root());
            Files f(device);
            f.list()->SelectRow(static_cast<int>(f.names().indexOf(QString::fromUtf8(name))));
            QStringList launched;
            platform::ScopedLauncher launcher([&](const platform::LaunchRequest& r) {
                launched << r.url.toLocalFile();
                return true;
            });
            RecordedBoxes boxes;
            f.dialog.operations()->OnOpen();
            QCOMPARE(boxes.texts, message.isEmpty() ? QStringList() : QStringList{message});
            QCOMPARE(launched, message.isEmpty()
                                   ? QStringList{tmp.root() + "/" + QString::fromUtf8(name)}
                                   : QStringList());
        }
    }

    void titlesSayWhatIsListed() {
        platform::TestDevice device;
        const QString deep = QStringLiteral(
            "\\Documents and Settings\\All Users\\Application "
            "Data\\Microsoft\\Media Index");
        device.addFile(u"\\a.jpeg", 3).addFile(deep + "\\b.jpeg", 2);
        Types types(device);
        dialogs::CFileListDlg list(&device);
        list.SetFileType(types.first(), &types.table.list());
        Files files(device, deep);
        for (dialogs::CAnalyzerDialog* dialog :
             std::initializer_list<dialogs::CAnalyzerDialog*>{&list, &files.dialog}) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
        }
        QCOMPARE(list.header()->text(), QStringLiteral("File List: jpeg"));
        QVERIFY(list.header()->toolTip().isEmpty());
        // Too long for the strip: its middle goes, the tooltip has it whole.
        const QString shown = files.dialog.header()->text();
        QVERIFY(shown.startsWith(QStringLiteral("\\Documents")) &&
                shown.endsWith(QStringLiteral("Media Index")) && shown.contains(QChar(0x2026)));
        QCOMPARE(files.dialog.header()->toolTip(), deep);
        QVERIFY(files.dialog.header()->fontMetrics().horizontalAdvance(shown) <=
                files.dialog.header()->width());
        // File and Size take what they need, Folder the rest; a cut cell tells its whole text.
        dialogs::CHoldListCtrl* cells = files.list();
        const QFontMetrics metrics(cells->font());
        QCOMPARE(cells->columnWidth(0) + cells->columnWidth(1) + cells->columnWidth(2),
                 cells->viewport()->width());
        for (const int column : {0, 1})
            QVERIFY(cells->columnWidth(column) >=
                    metrics.horizontalAdvance(cells->model()->index(0, column).data().toString()));
        const QPoint folder = cells->visualRect(cells->model()->index(0, 2)).center();
        QHelpEvent help(QEvent::ToolTip, folder, cells->viewport()->mapToGlobal(folder));
        QApplication::sendEvent(cells->viewport(), &help);
        QCOMPARE(QToolTip::text(), deep);
    }

    void menuFromLongPressAndRightClick() {
        platform::TestDevice device;
        device.addFile(u"\\a", 3).addFile(u"\\b", 2).addFile(u"\\c", 1);
        Files f(device);
        f.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.dialog));
        dialogs::CHoldListCtrl* list = f.list();
        QStringList shown;  // each menu as "Open:0 Delete:1 ..." (enabled flags)
        QStringList keys;   // the last menu's keys as shown
        dialogs::ScopedPopupMenuHook hook([&](QMenu& menu, QPoint) -> QAction* {
            QStringList items;
            for (QAction* a : menu.actions())
                if (!a->isSeparator())
                    items << a->text() + u':' + QString::number(a->isEnabled());
            shown << items.join(u' ');
            keys.clear();
            for (QAction* a : menu.actions())
                if (!a->isSeparator() && a->isShortcutVisibleInContextMenu())
                    keys << a->shortcut().toString();
            return nullptr;
        });
        const QPoint row0 = list->visualRect(list->model()->index(0, 0)).center();
        const QPoint row1 = list->visualRect(list->model()->index(1, 0)).center();
        // A press held 500 ms on the row it selects.
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, row0);
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 1000);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, row0);
        QCOMPARE(shown[0], "Open:1 Delete:1 Move to Trash:1 Properties:1 Select All:1");
        QCOMPARE(keys.join(u' '), "Ctrl+O Shift+Del Del Return Ctrl+A");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row0);
        QTest::qWait(dialogs::kLongPressMs + 150);
        QCOMPARE(shown.size(), 1);
        // A long press on a row not selected opens nothing.
        list->SelectRow(2);
        emit list->tapHold(row1);
        QCOMPARE(shown.size(), 1);
        // Right click on a selected row, two rows selected: Open and Properties grayed.
        QContextMenuEvent event(QContextMenuEvent::Mouse, row0,
                                list->viewport()->mapToGlobal(row0));
        QApplication::sendEvent(list->viewport(), &event);
        QCOMPARE(shown, QStringList({shown[0],
                                     "Open:0 Delete:1 Move to Trash:1 Properties:0 "
                                     "Select All:1"}));
    }

    void doubleTapOpensPropertiesInFileListOnly() {
        platform::TestDevice device;
        device.addFile(u"\\a.t", 3).addFile(u"\\b.t", 2);
        Types types(device);
        Files files(device);
        dialogs::CFileListDlg list(&device);
        list.SetFileType(types.first(), &types.table.list());
        QStringList shown;
        dialogs::ScopedModalHook modal([&](QDialog& d) {
            shown << dynamic_cast<dialogs::CFilePropertiesDlg&>(d).fileName();
            return int(QDialog::Accepted);
        });
        for (dialogs::CFileListDialogBase* dialog :
             std::initializer_list<dialogs::CFileListDialogBase*>{&list, &files.dialog}) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            QWidget* viewport = dialog->list()->viewport();
            const QPoint row1 =
                dialog->list()->visualRect(dialog->list()->model()->index(1, 0)).center();
            // The press of a double tap comes first, as from a real mouse.
            QTest::mousePress(viewport, Qt::LeftButton, {}, row1);
            QTest::mouseRelease(viewport, Qt::LeftButton, {}, row1);
            QTest::mouseDClick(viewport, Qt::LeftButton, {}, row1);
        }
        QCOMPARE(shown, QStringList{"b.t"});  // from the File List only
    }

    void fileListDeleteShortensTheType() {
        platform::TestDevice device;
        device.addFile(u"\\a.t", 3).addFile(u"\\b.t", 2).addFile(u"\\c.t", 1);
        Types types(device);
        engine::FileTypeStat* type = types.first();
        dialogs::CFileListDlg dialog(&device);
        dialog.SetFileType(type, &types.table.list());
        dialog.list()->SelectRow(1);
        RecordedBoxes boxes;
        dialog.operations()->OnDelete();
        QCOMPARE(type->totalSize, quint64{6});  // figures stay until Refresh
        dialogs::CFileListDlg again(&device);
        again.SetFileType(type, &types.table.list());
        QCOMPARE(test::Rows(again.list()->model()), QStringList({"a.t|3  B|", "c.t|1  B|"}));
    }

    void propertiesTexts() {
        // Name, size (-1: the file is gone), the type and size shown.
        for (const auto& [name, size, type, sizeText] :
             {std::tuple(QStringLiteral("README"), qint64(1023), "README", "1023 B"),
              {"archive.tar.gz", 1024, "tar.gz", "1.00 K"},
              {"gone.txt", -1, "txt", ""}}) {
            const test::Case tag(name);
            platform::TestDevice device;
            if (size >= 0)
                device.addFile(QStringLiteral("\\Windows\\Fonts\\") + name, quint64(size),
                               platform::kAttributeReadOnly);
            dialogs::CFilePropertiesDlg dialog(nullptr, QStringLiteral("  ") + name + u' ',
                                               QStringLiteral(" \\Windows\\Fonts "), &device);
            const auto text = [&](int id) {
                return dialogs::GetDlgItem<QLabel>(&dialog, id)->text();
            };
            QCOMPARE((QStringList{text(dialogs::kIdPropName), text(dialogs::kIdPropType),
                                  text(dialogs::kIdPropFolder), text(dialogs::kIdPropSize)}),
                     (QStringList{name, type, " \\Windows \\Fonts", sizeText}));
            const auto box = [&](int id) { return dialogs::GetDlgItem<QCheckBox>(&dialog, id); };
            QCOMPARE(QList({box(dialogs::kIdPropReadOnly)->isChecked(),
                            box(dialogs::kIdPropHidden)->isChecked(),
                            box(dialogs::kIdPropArchive)->isChecked(),
                            box(dialogs::kIdPropArchive)->isEnabled()}),
                     QList({size >= 0, false, size >= 0, false}));
        }
    }

    void propertiesTimes() {
        const std::pair<QDateTime, const char*> times[] = {
            {QDateTime(QDate(2002, 1, 3), QTime(0, 5, 9), Qt::UTC), "01/03/2002, 0:05:09 AM"},
            {QDateTime(QDate(2002, 1, 3), QTime(12, 30, 0), Qt::UTC), "01/03/2002, 12:30:00 AM"},
            {QDateTime(QDate(2026, 12, 6), QTime(13, 0, 0), Qt::UTC), "12/06/2026, 1:00:00 PM"}};
        for (const auto& [time, text] : times)
            QCOMPARE(dialogs::PropertiesTimeText(time.toMSecsSinceEpoch() * 1000000), text);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
