// Preferences through the window: OK re-lays the open pies at once and keeps the settings
// for the next start; Cancel, Escape and closing, after Reset, change nothing in memory or
// on disk; a hand-edited profile far outside the range never breaks a view.

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "app/resource.h"
#include "charts/legend_list.h"
#include "dialogs/color_list.h"
#include "dialogs/control_id.h"
#include "dialogs/preferences_dlg.h"
#include "support/app_window.h"

using namespace dovrane;
using dialogs::CPreferencesDlg;

namespace {

// Both chart views shown over nine folders of nine types.
struct Window : test::AppWindow {
    explicit Window(const QList<std::pair<QString, QString>>& values = {}) : AppWindow(values) {
        for (int i = 0; i < 9; ++i)
            device.addFile(QStringLiteral("\\d%1\\f.t%1").arg(i), quint64(1000 - 50 * i));
        view().OnViewFolder();
        view().OnViewFileType();
        QTRY_VERIFY(!view().folderView().IsBusy() && !view().fileTypeView().IsBusy());
        before = bytes();
    }
    QByteArray bytes() const {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Runs Preferences with `act` working the dialog; what `act` leaves open is cancelled.
    void Preferences(const std::function<void(CPreferencesDlg&)>& act) {
        QTimer::singleShot(0, [act] {
            auto* dialog = qobject_cast<CPreferencesDlg*>(QApplication::activeModalWidget());
            act(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        view().OnCmdMsg(app::kIdPreferences);
    }
    QByteArray before;
};

void Press(QWidget* dialog, int id) {
    QTest::mouseClick(dialogs::GetDlgItem<QWidget>(dialog, id), Qt::LeftButton);
}

}  // namespace

class TestPreferencesProfile : public QObject {
    Q_OBJECT

private slots:
    void okReappliesAtOnceAndIsKeptForTheNextStart() {
        Window w;
        w.Preferences([](CPreferencesDlg& dialog) {
            QTest::mouseClick(dialog.colorList()->viewport(), Qt::LeftButton, {}, QPoint(50, 25));
            Press(&dialog, dialogs::kIdMoveUp);  // green first
            dialog.slicesEdit()->setText(QStringLiteral("5"));
            Press(&dialog, dialogs::kIdOk);
        });
        const engine::Settings& now = w.view().settings();
        // Both pies and legends again without a rescan: four named slices and "Other".
        for (views::CChartView* view :
             QList<views::CChartView*>{&w.view().folderView(), &w.view().fileTypeView()}) {
            QCOMPARE(view->pieChart().sliceCount(), 5);
            QCOMPARE(charts::LegendRowCount(*view->legendList()->owner()), 5);
            QCOMPARE(view->scanCount(), 1);
        }
        w.view().OnViewFolder();
        // The first slice runs from 0 to 50 degrees: 1000 of 7200 bytes.
        auto& folder = w.view().folderView();
        QCOMPARE(test::PixelAt(folder.grab().toImage(),
                               folder.currentLayout().chartCenter + QPoint(40, -15)),
                 QRgb(0x008000));
        // The next start reads exactly what the view now uses.
        QCOMPARE(engine::ReadSettings(platform::Profile(w.file())), now);
    }

    void cancelChangesNothing() {
        for (const int how : {0, 1, 2}) {  // the Cancel button, Escape, closing the window
            Window w({{"Number Of Slices", "7"}, {"Color0", "255"}});
            const test::Case name(QStringLiteral("how %1").arg(how));
            const engine::Settings settings = w.view().settings();
            w.Preferences([how](CPreferencesDlg& dialog) {
                dialog.colorList()->SetSelected(3);
                Press(&dialog, dialogs::kIdMoveDown);
                Press(&dialog, dialogs::kIdReset);  // the factory colours and 16, the row kept
                QVERIFY(
                    std::ranges::equal(dialog.colorList()->colors, engine::kDefaultSliceColors));
                QCOMPARE(dialog.slicesEdit()->text(), QStringLiteral("16"));
                QCOMPARE(dialog.colorList()->selected(), 4);
                if (how == 0)
                    Press(&dialog, dialogs::kIdCancel);
                else if (how == 1)
                    QTest::keyClick(&dialog, Qt::Key_Escape);
                else
                    dialog.close();
                QCOMPARE(dialog.result(), int(QDialog::Rejected));
            });
            QCOMPARE(w.view().settings(), settings);
            QCOMPARE(w.view().folderView().pieChart().sliceCount(), 7);
            QCOMPARE(w.bytes(), w.before);
        }
    }

    void handEditedProfile() {
        // Stored, the slices of the pie (nine entries), the text the dialog shows; below 1 acts
        // as 1: all in "Other". Saving keeps the colour as it was read.
        for (const auto& [stored, slices, shown] :
             {std::tuple("0", 1, "0"), {"1", 1, "1"}, {"100000", 9, "100000"}, {"many", 9, "16"}}) {
            Window w({{"Number Of Slices", stored}, {"Color3", "-1"}});
            const test::Case name(stored);
            QCOMPARE(w.view().settings().sliceColors[3], engine::ColorRef(0xFFFFFFFF));
            QCOMPARE(w.view().folderView().pieChart().sliceCount(), slices);
            w.Preferences([&](CPreferencesDlg& dialog) {
                QCOMPARE(dialog.slicesEdit()->text(), shown);
                dialog.slicesEdit()->setText(QStringLiteral("7"));
                Press(&dialog, dialogs::kIdOk);
            });
            QSettings saved(w.file(), QSettings::IniFormat);
            QCOMPARE(saved.value(w.kGroup + "Color3").toInt(), -1);
            QCOMPARE(saved.value(w.kGroup + "Number Of Slices").toInt(), 7);
        }
    }
};

QTEST_MAIN(TestPreferencesProfile)
#include "tst_preferences_profile.moc"
