// The dialog frame's header, Cancel button and line; the About box; the Overview details;
// Preferences and the colour picker.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "dialogs/about_dlg.h"
#include "dialogs/analyzer_dialog.h"
#include "dialogs/color_list.h"
#include "dialogs/color_picker_dlg.h"
#include "dialogs/colors.h"
#include "dialogs/control_id.h"
#include "dialogs/overview_dlg.h"
#include "dialogs/preferences_dlg.h"
#include "platform/profile.h"
#include "support/overview_figures.h"
#include "support/probes.h"

using namespace dovrane;
using dialogs::COverviewDlg;
using dialogs::GetDlgItem;
using engine::ColorRef;
using engine::kDefaultSliceColors;
using test::PixelAt;
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

}  // namespace

class TestAnalyzerDialog : public QObject {
    Q_OBJECT

private slots:
    void headerCancelAndLine() {
        for (const bool withCancel : {true, false}) {
            const test::Case name(withCancel ? "with Cancel" : "without");
            TitledDialog dialog(QStringLiteral("File List"), withCancel);
            dialog.resize(240, 320);
            dialog.show();
            const auto* header = GetDlgItem<QLabel>(&dialog, dialogs::kIdHeader);
            QCOMPARE(header->text(), QStringLiteral("File List"));
            QCOMPARE(header->geometry(), QRect(4, 5, 166, 17));  // clipped at x = 170
            // Bold 8.5 points: weight 600, not 700.
            QCOMPARE(std::tuple(header->font().family(), int(header->font().weight()),
                                header->font().pixelSize()),
                     std::tuple(QStringLiteral("Tahoma"), 600, 11));
            QCOMPARE(header->palette().color(QPalette::WindowText), dialogs::kBlue);
            // The line under the header across the whole width, white below it.
            const QImage image = dialog.grab().toImage();
            for (const int x : {0, 200, 239})
                QCOMPARE((QList{test::PixelAt(image, {x, 23}), test::PixelAt(image, {x, 24})}),
                         (QList<QRgb>{0, 0xFFFFFF}));
            auto* cancel = GetDlgItem<QPushButton>(&dialog, dialogs::kIdCancel);
            if (!withCancel) {
                QVERIFY(!cancel);
                continue;
            }
            QCOMPARE(cancel->geometry(), QRect(190, 2, 48, 20));  // x 190 to 238, y 2 to 22
            QTest::mouseClick(cancel, Qt::LeftButton);
            QVERIFY(dialog.result() == QDialog::Rejected && !dialog.isVisible());
        }
    }

    void aboutBox() {
        dialogs::CAboutDlg about;
        about.show();
        // Text, and whether large: 14 points bold in blue, else the dialog's Tahoma 9.
        const std::tuple<int, const char*, bool> rows[] = {
            {dialogs::kIdAboutName, "Dovrane Storage Analyzer", true},
            {dialogs::kIdAboutPlatform, "for Pocket PC", true},
            {dialogs::kIdAboutVersion, "Version 2.0", false}};
        int previousBottom = 0;
        for (const auto& [id, text, large] : rows) {
            const auto* label = GetDlgItem<QLabel>(&about, id);
            QCOMPARE(label->text(), QString::fromLatin1(text));
            QVERIFY(label->geometry().top() >= previousBottom);  // rows in template order
            previousBottom = label->geometry().bottom();
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
        // With cards, the card chosen, the values in the order of the template's rows.
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
            QStringList got, blueBold;
            for (const COverviewDlg::Row& row : COverviewDlg::Rows()) {
                got.append(dialogs::GetDlgItem<QLabel>(&dialog, row.valueId)->text());
                const auto* label = dialogs::GetDlgItem<QLabel>(&dialog, row.labelId);
                if (label->palette().color(QPalette::WindowText) == dialogs::kBlue &&
                    label->font().weight() == QFont::DemiBold)
                    blueBold.append(label->text());
            }
            QCOMPARE(got, values);
            QCOMPARE(blueBold, (QStringList{"Total Main Memory:", "Total Storage Memory:",
                                            "Total Program Memory:", "Total Storage Card Size:"}));
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
        // Selected row, presses, the factory indexes of the first rows after, the row then
        // selected, the boxes and the beeps.
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
        QCOMPARE(p.list().selected(), 2);  // (40 + 5) / 20, drawn at the top: navy, white
        const QImage image = p.list().viewport()->grab().toImage();  // outline, yellow swatch
        QCOMPARE(
            (QList<QRgb>{PixelAt(image, {2, 1}), PixelAt(image, {35, 10}), PixelAt(image, {36, 10}),
                         PixelAt(image, {35, 30}), PixelAt(image, {40, 30})}),
            (QList<QRgb>{0x000080, 0xFFFFFF, 0xFFFF00, 0x000000, 0x0000FF}));
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

    // One step from any 32-bit value, by the arrows or the keys, lands in 5 to 25 and never
    // wraps round; text that is no number steps from the number the dialog was given.
    void slicesStepsStayInRange_data() {
        QTest::addColumn<int>("given");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("step");  // +1 up, -1 down
        QTest::addColumn<bool>("key");
        QTest::addColumn<QString>("after");
        const auto row = [](const char* name, int given, const char* shown, int step, bool key,
                            const char* after) {
            QTest::newRow(name) << given << QString::fromLatin1(shown) << step << key
                                << QString::fromLatin1(after);
        };
        row("max up", 16, "2147483647", 1, false, "25");
        row("max down", 16, "2147483647", -1, false, "25");
        row("min down key", 16, "-2147483648", -1, true, "5");
        row("top up", 16, "25", 1, false, "25");
        row("bottom down", 16, "5", -1, true, "5");
        row("middle", 16, "16", 1, false, "17");
        row("no number, min given", -2147483647 - 1, "", -1, false, "5");
    }
    void slicesStepsStayInRange() {
        QFETCH(int, given);
        QFETCH(QString, shown);
        QFETCH(int, step);
        QFETCH(bool, key);
        QFETCH(QString, after);
        Prefs p;
        p.dialog.slices = given;
        p.dialog.slicesEdit()->setText(shown);
        if (key) {
            QTest::keyClick(p.dialog.slicesEdit(), step > 0 ? Qt::Key_Up : Qt::Key_Down);
        } else {
            const auto arrows = GetDlgItem<QWidget>(&p.dialog, dialogs::kIdSlicesUpDown)
                                    ->findChildren<QToolButton*>();
            QCOMPARE(arrows.size(), 2);
            QToolButton* arrow = arrows[0]->arrowType() == (step > 0 ? Qt::UpArrow : Qt::DownArrow)
                                     ? arrows[0]
                                     : arrows[1];
            QTest::mouseClick(arrow, Qt::LeftButton);
        }
        QCOMPARE(p.dialog.slicesEdit()->text(), after);
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

    void pickerSlidersAndKeys() {
        dialogs::CColorPickerDlg picker;
        picker.setColor(0x808040);
        picker.show();
        QCOMPARE(picker.slider(dialogs::kIdRedSlider)->value(), 64);
        QTRY_COMPARE(QApplication::focusWidget(), picker.slider(dialogs::kIdRedSlider));
        for (const Qt::Key key :
             {Qt::Key_End, Qt::Key_Tab, Qt::Key_Home, Qt::Key_Tab, Qt::Key_Left})
            QTest::keyClick(QApplication::focusWidget(), key);
        QCOMPARE(picker.color(), ColorRef(0x7F00FF));
        QCOMPARE(GetDlgItem<QLabel>(&picker, dialogs::kIdBlueValue)->text(), QStringLiteral("127"));
        const QPoint corner = dialogs::PreviewBand(picker.width()).topLeft();
        const QImage image = picker.grab().toImage();
        QCOMPARE(PixelAt(image, corner), QRgb(0xFF007F));
        QCOMPARE(PixelAt(image, corner - QPoint(1, 0)), QRgb(0xFFFFFF));
    }
};

QTEST_MAIN(TestAnalyzerDialog)
#include "tst_analyzer_dialog.moc"
