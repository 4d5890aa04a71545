// Preferences and the colour picker: the slice count's range, the colour list's moves,
// rows, taps and scrolling, Reset, Change through the picker, and what OK and Cancel leave
// in the caller's table and in the profile file.

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "charts/color_ref.h"
#include "dialogs/color_list.h"
#include "dialogs/color_picker_dlg.h"
#include "dialogs/control_id.h"
#include "dialogs/preferences_dlg.h"
#include "platform/message_box.h"
#include "platform/profile.h"

using namespace dovrane;
using dialogs::GetDlgItem;
using engine::ColorRef;
using engine::kDefaultSliceColors;

namespace {

// A Preferences dialog over the factory colours and a count of 16, saving into a profile
// file of its own, with boxes and beeps recorded.
struct Prefs {
    explicit Prefs(const QString& profileFile = {})
        : profile(profileFile.isEmpty() ? dir.filePath(QStringLiteral("p.ini")) : profileFile) {
        dialog.colorTable = &table;
        dialog.numberOfSlices = &count;
        dialog.slices = count;
        dialog.profile = &profile;
    }
    // The dialog copies the table and the count when it first shows.
    Prefs& Show() {
        dialog.show();
        return *this;
    }
    dialogs::CColorList& list() const { return *dialog.colorList(); }
    void Press(int id) { QTest::mouseClick(GetDlgItem<QWidget>(&dialog, id), Qt::LeftButton); }
    QString file() const { return dir.filePath(QStringLiteral("p.ini")); }

    QTemporaryDir dir;
    engine::SliceColors table = kDefaultSliceColors;
    int count = 16;
    platform::Profile profile;
    dialogs::CPreferencesDlg dialog;
    QStringList boxes;
    int beeps = 0;
    platform::ScopedMessageBoxHook hook{[this](const platform::MessageBoxRequest& request) {
        boxes.append(request.text);
        return platform::MessageBoxResult::Ok;
    }};
    platform::BeepHook previousBeep = platform::SetBeepHook([this] { ++beeps; });
    ~Prefs() { platform::SetBeepHook(previousBeep); }
};

QRgb At(const QImage& image, int x, int y) {
    const qreal r = image.devicePixelRatio();
    return image.pixel(qRound(x * r), qRound(y * r)) & 0xFFFFFF;
}

// Runs `act` on the modal picker as soon as it is open.
void WithPicker(const std::function<void(dialogs::CColorPickerDlg&)>& act) {
    QTimer::singleShot(0, [act] {
        auto* picker = qobject_cast<dialogs::CColorPickerDlg*>(QApplication::activeModalWidget());
        QVERIFY(picker);
        act(*picker);
        if (picker->isVisible()) {
            picker->reject();  // a failed check must not leave the test waiting
            QFAIL("the picker stayed open");
        }
    });
}

}  // namespace

class TestPreferences : public QObject {
    Q_OBJECT

private slots:
    void rangeCheckOnOK_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored");  // 0: refused
        QTest::newRow("4") << "4" << 0;
        QTest::newRow("5") << "5" << 5;
        QTest::newRow("25") << "25" << 25;
        QTest::newRow("26") << "26" << 0;
        QTest::newRow("abc") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("-3") << "-3" << 0;
        QTest::newRow("blanks around") << " 7 " << 7;
    }

    void rangeCheckOnOK() {
        QFETCH(QString, text);
        QFETCH(int, stored);
        Prefs p;
        p.Show();
        p.dialog.slicesEdit()->setText(text);
        p.Press(dialogs::kIdOk);
        if (stored == 0) {
            QCOMPARE(p.boxes, QStringList{"Please enter an integer between 5 and 25."});
            QVERIFY(p.dialog.isVisible());
            QCOMPARE(p.count, 16);
            QVERIFY(!QFile::exists(p.file()));  // nothing written
            return;
        }
        QVERIFY(p.boxes.isEmpty());
        QCOMPARE(p.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(p.count, stored);
        QSettings written(p.file(), QSettings::IniFormat);
        QCOMPARE(written.allKeys().size(), 17);
        written.beginGroup(QStringLiteral("Dovrane Storage Analyzer"));
        QCOMPARE(written.value(QStringLiteral("Number Of Slices")).toInt(), stored);
        for (int i = 0; i < 16; ++i)
            QCOMPARE(written.value(QStringLiteral("Color%1").arg(i)).toUInt(),
                     kDefaultSliceColors[size_t(i)]);
    }

    void upDownStepsWithinTheRange_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("after");
        QTest::newRow("up") << "16" << int(Qt::Key_Up) << "17";
        QTest::newRow("down at 5") << "5" << int(Qt::Key_Down) << "5";
        QTest::newRow("up at 25") << "25" << int(Qt::Key_Up) << "25";
        QTest::newRow("down from far above") << "100000" << int(Qt::Key_Down) << "25";
        QTest::newRow("not a number") << "x" << int(Qt::Key_Up) << "17";  // from the count
    }

    void upDownStepsWithinTheRange() {
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(QString, after);
        Prefs p;
        p.Show();
        p.dialog.slicesEdit()->setText(text);
        QTest::keyClick(p.dialog.slicesEdit(), Qt::Key(key));
        QCOMPARE(p.dialog.slicesEdit()->text(), after);
        p.dialog.slicesEdit()->setText(text);
        auto* arrows = GetDlgItem(&p.dialog, dialogs::kIdSlicesUpDown);
        const int quarter = key == Qt::Key_Up ? 1 : 3;
        QTest::mouseClick(arrows->childAt(arrows->width() / 2, arrows->height() * quarter / 4),
                          Qt::LeftButton);
        QCOMPARE(p.dialog.slicesEdit()->text(), after);
    }

    void moves_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<QList<int>>("presses");
        QTest::addColumn<QList<int>>("order");  // factory indexes of the first rows
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("beeps");
        const int up = dialogs::kIdMoveUp, down = dialogs::kIdMoveDown;
        const QString none = "Please select a color in the list to move.";
        QTest::newRow("up without a selection")
            << -1 << QList{up} << QList{0, 1} << -1 << none << 0;
        QTest::newRow("down without a selection")
            << -1 << QList{down} << QList{0, 1} << -1 << none << 0;
        QTest::newRow("up at row 0") << 0 << QList{up} << QList{0, 1} << 0 << "" << 1;
        QTest::newRow("down at row 15") << 15 << QList{down} << QList{0, 1} << 15 << "" << 1;
        QTest::newRow("down twice from 0")
            << 0 << QList{down, down} << QList{1, 2, 0, 3} << 2 << "" << 0;
        QTest::newRow("up from 1") << 1 << QList{up} << QList{1, 0, 2} << 0 << "" << 0;
    }

    void moves() {
        QFETCH(int, selected);
        QFETCH(QList<int>, presses);
        QFETCH(QList<int>, order);
        QFETCH(int, after);
        QFETCH(QString, box);
        QFETCH(int, beeps);
        Prefs p;
        p.Show();
        p.list().SetSelected(selected);
        for (const int id : presses)
            p.Press(id);
        QCOMPARE(p.boxes, box.isEmpty() ? QStringList{} : QStringList{box});
        QCOMPARE(p.beeps, beeps);
        QCOMPARE(p.list().selected(), after);
        for (int i = 0; i < order.size(); ++i)
            QCOMPARE(p.list().colors[size_t(i)], kDefaultSliceColors[size_t(order[i])]);
        // Exactly two rows swapped per move: the rest are where they were.
        for (size_t i = size_t(order.size()); i < 16; ++i)
            QCOMPARE(p.list().colors[i], kDefaultSliceColors[i]);
        QCOMPARE(p.table, kDefaultSliceColors);  // nothing leaves the dialog before OK
    }

    void moveScrollsTheSelectionIntoView() {
        Prefs p;
        p.Show();
        auto& list = p.list();
        QVERIFY(list.scrollMax() > 0);
        list.SetSelected(15);
        p.Press(dialogs::kIdMoveUp);  // row 14, below the visible rows
        const int h = list.viewport()->height();
        QCOMPARE(list.scrollPos(), 20 * 15 - h);
        QCOMPARE(list.verticalScrollBar()->value(), list.scrollPos());
        list.SetSelected(1);
        p.Press(dialogs::kIdMoveUp);  // row 0, above them
        QCOMPARE(list.scrollPos(), 0);
    }

    void rowsTapsAndPixels() {
        Prefs p;
        p.Show();
        auto& list = p.list();
        list.verticalScrollBar()->setValue(40);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(60, 5));
        QCOMPARE(list.selected(), 2);  // (40 + 5) / 20
        const QImage image = list.viewport()->grab().toImage();
        const int w = list.viewport()->width();
        // Row 2 is drawn at y 0 now: navy band, white swatch outline, its colour inside.
        QCOMPARE(At(image, 2, 1), QRgb(0x000080));
        QCOMPARE(At(image, 35, 10), QRgb(0xFFFFFF));
        QCOMPARE(At(image, 36, 10), QRgb(0xFFFF00));  // factory colour 2: yellow
        QCOMPARE(At(image, w - 6, 17), QRgb(0xFFFF00));
        QCOMPARE(At(image, w - 5, 10), QRgb(0xFFFFFF));
        // Row 3 below it, unselected: white, black outline, blue swatch.
        QCOMPARE(At(image, 2, 21), QRgb(0xFFFFFF));
        QCOMPARE(At(image, 35, 30), QRgb(0x000000));
        QCOMPARE(At(image, 40, 30), QRgb(0x0000FF));
    }

    void scrollRequests_data() {
        QTest::addColumn<int>("request");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("expected");  // scrollMax 167, client height 153, thumb 99
        using S = dialogs::ColorListScroll;
        QTest::newRow("line up at 10") << int(S::LineUp) << 10 << 0;
        QTest::newRow("line down") << int(S::LineDown) << 20 << 40;
        QTest::newRow("line down at the end") << int(S::LineDown) << 160 << 167;
        QTest::newRow("page up") << int(S::PageUp) << 160 << 7;
        QTest::newRow("page down") << int(S::PageDown) << 20 << 167;
        QTest::newRow("thumb") << int(S::Thumb) << 20 << 99;
        QTest::newRow("other") << int(S::Other) << 20 << 20;
    }

    void scrollRequests() {
        QFETCH(int, request);
        QFETCH(int, position);
        QFETCH(int, expected);
        QCOMPARE(dialogs::ColorListScrollTarget(dialogs::ColorListScroll(request), position, 167,
                                                153, 99),
                 expected);
    }

    void resetRestoresColoursAndCountButCancelKeepsAll() {
        Prefs p;
        p.table[0] = 0x123456;
        p.dialog.slices = p.count = 9;
        p.Show();
        QCOMPARE(p.dialog.slicesEdit()->text(), QStringLiteral("9"));
        p.list().SetSelected(3);
        p.Press(dialogs::kIdMoveDown);
        p.Press(dialogs::kIdReset);
        const std::vector<ColorRef> factory(kDefaultSliceColors.begin(), kDefaultSliceColors.end());
        QCOMPARE(p.list().colors, factory);
        QCOMPARE(p.dialog.slicesEdit()->text(), QStringLiteral("16"));
        QCOMPARE(p.list().selected(), 4);  // the selection stays
        QTest::keyClick(&p.dialog, Qt::Key_Escape);
        QCOMPARE(p.dialog.result(), int(QDialog::Rejected));
        QCOMPARE(p.table[0], ColorRef(0x123456));
        QCOMPARE(p.count, 9);
        QVERIFY(!QFile::exists(p.file()));
    }

    void changeThroughThePicker_data() {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<uint>("expected");
        QTest::newRow("standard button, OK") << true << 0x408080u;
        QTest::newRow("standard button, Cancel") << false << 0x008000u;
    }

    void changeThroughThePicker() {
        QFETCH(bool, ok);
        QFETCH(uint, expected);
        Prefs p;
        p.Show();
        p.Press(dialogs::kIdChange);
        QCOMPARE(p.boxes, QStringList{"Please select a color in the list to change."});
        p.list().SetSelected(1);
        ColorRef opened = 0;
        WithPicker([&](dialogs::CColorPickerDlg& picker) {
            opened = picker.color();
            QTest::mouseClick(GetDlgItem<QWidget>(&picker, 2010), Qt::LeftButton);
            QTest::keyClick(&picker, ok ? Qt::Key_Return : Qt::Key_Escape);
        });
        p.Press(dialogs::kIdChange);
        QCOMPARE(opened, ColorRef(0x008000));
        QCOMPARE(p.list().colors[1], ColorRef(expected));
        QCOMPARE(At(p.list().image(), 40, 30), charts::RgbFromColorRef(expected) & 0xFFFFFF);
    }

    void unwritableProfileIsReportedOnceAndStillApplies() {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Prefs p(dir.filePath(QStringLiteral("file/p.ini")));  // under a file: cannot be made
        p.Show();
        p.dialog.slicesEdit()->setText(QStringLiteral("6"));
        p.Press(dialogs::kIdOk);
        QCOMPARE(p.boxes.size(), 1);
        QVERIFY(p.boxes[0].startsWith(QStringLiteral("The preferences could not be saved to ")));
        QCOMPARE(p.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(p.count, 6);
    }

    void pickerStandardColours_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<uint>("color");
        for (const dialogs::StandardColor& s : dialogs::kStandardColors)
            QTest::addRow("%d", s.id) << s.id << uint(s.color);
    }

    void pickerStandardColours() {
        QFETCH(int, id);
        QFETCH(uint, color);
        dialogs::CColorPickerDlg picker;
        picker.show();
        QTest::mouseClick(GetDlgItem<QWidget>(&picker, id), Qt::LeftButton);
        QCOMPARE(picker.color(), ColorRef(color));
        QCOMPARE((QList<int>{picker.slider(dialogs::kIdRedSlider)->value(),
                             picker.slider(dialogs::kIdGreenSlider)->value(),
                             picker.slider(dialogs::kIdBlueSlider)->value()}),
                 (QList<int>{int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16)}));
        const QRect band = dialogs::PreviewBand(picker.width());
        QCOMPARE(At(picker.grab().toImage(), band.center().x(), band.center().y()),
                 charts::RgbFromColorRef(color) & 0xFFFFFF);
    }

    void pickerSlidersAndKeys() {
        dialogs::CColorPickerDlg picker;
        picker.setColor(0x808040);
        picker.show();
        QCOMPARE(picker.slider(dialogs::kIdRedSlider)->value(), 64);
        QCOMPARE(picker.slider(dialogs::kIdGreenSlider)->value(), 128);
        QCOMPARE(picker.slider(dialogs::kIdBlueSlider)->value(), 128);
        QCOMPARE(GetDlgItem<QLabel>(&picker, dialogs::kIdRedValue)->text(), QStringLiteral("64"));
        QTRY_COMPARE(QApplication::focusWidget(), picker.slider(dialogs::kIdRedSlider));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
        QCOMPARE(picker.color(), ColorRef(0x7F00FF));
        QCOMPARE(GetDlgItem<QLabel>(&picker, dialogs::kIdBlueValue)->text(), QStringLiteral("127"));
        const QRect band = dialogs::PreviewBand(picker.width());
        QCOMPARE(At(picker.grab().toImage(), band.left(), band.top()), QRgb(0xFF007F));
        QCOMPARE(At(picker.grab().toImage(), band.left() - 1, band.top()), QRgb(0xFFFFFF));
        QTest::keyClick(&picker, Qt::Key_Return);
        QCOMPARE(picker.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
