// Preferences through the window: OK re-lays the open pies at once and keeps the settings
// for the next start; Cancel, Escape and closing, after Reset, change nothing in memory or
// on disk; a hand-edited profile far outside the range never breaks a view.

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "app/analyzer_app.h"
#include "app/main_view.h"
#include "app/resource.h"
#include "dialogs/color_list.h"
#include "dialogs/control_id.h"
#include "dialogs/preferences_dlg.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/test_device.h"

using namespace dovrane;
using dialogs::CPreferencesDlg;

namespace {

const QString kGroup = QStringLiteral("Dovrane Storage Analyzer/");

// Both chart views over nine folders of nine types, the settings read from a profile file
// holding `values`, as a user left it.
struct Window {
    explicit Window(const QList<std::pair<QString, QString>>& values = {}) {
        for (const auto& [name, value] : values)
            QSettings(file(), QSettings::IniFormat).setValue(kGroup + name, value);
        for (int i = 0; i < 9; ++i)
            device.addFile(QStringLiteral("\\d%1\\f.t%1").arg(i), quint64(1000 - 50 * i));
        app::AppStart start;
        start.view = {.settings = engine::ReadSettings(profile),
                      .device = &device,
                      .profile = &profile,
                      .pace = {}};
        application = std::make_unique<app::CAnalyzerApp>(start);
        QVERIFY(application->InitInstance());
        view().OnViewFolder();
        view().OnViewFileType();
        QTRY_VERIFY(!view().folderView().IsBusy() && !view().fileTypeView().IsBusy());
        before = bytes();
    }
    QString file() const { return dir.filePath(QStringLiteral("profile.ini")); }
    QByteArray bytes() const {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    app::CDovraneStorageAnalyzerView& view() const { return *application->mainView(); }
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

    QTemporaryDir dir;
    platform::TestDevice device;
    platform::Profile profile{file()};
    QStringList boxes;
    platform::ScopedMessageBoxHook hook{[this](const platform::MessageBoxRequest& request) {
        boxes.append(request.text);
        return platform::MessageBoxResult::Ok;
    }};
    std::unique_ptr<app::CAnalyzerApp> application;
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
        QCOMPARE(now.numberOfSlices, 5);
        QCOMPARE(now.sliceColors[0], engine::ColorRef(0x008000));
        // Both pies again without a rescan: four named slices and "Other".
        auto& folder = w.view().folderView();
        QCOMPARE(w.view().fileTypeView().pieChart().sliceCount(), 5);
        QCOMPARE(folder.pieChart().sliceCount(), 5);
        QCOMPARE(folder.scanCount() + w.view().fileTypeView().scanCount(), 2);
        w.view().OnViewFolder();
        // The first slice runs from 0 to 50 degrees: 1000 of 7200 bytes.
        const QPoint at = folder.currentLayout().chartCenter + QPoint(40, -15);
        const QImage image = folder.grab().toImage();
        const qreal r = image.devicePixelRatio();
        QCOMPARE(image.pixel(qRound(at.x() * r), qRound(at.y() * r)) & 0xFFFFFF, QRgb(0x008000));
        // The next start reads exactly what the view now uses, from seventeen values.
        QCOMPARE(QSettings(w.file(), QSettings::IniFormat).allKeys().size(), 17);
        QCOMPARE(engine::ReadSettings(platform::Profile(w.file())), now);
    }

    void cancelChangesNothing_data() {
        QTest::addColumn<int>("how");  // the Cancel button, Escape, closing the window
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close") << 2;
    }

    void cancelChangesNothing() {
        QFETCH(int, how);
        Window w({{"Number Of Slices", "7"}, {"Color0", "255"}});
        const engine::Settings settings = w.view().settings();
        w.Preferences([how](CPreferencesDlg& dialog) {
            dialog.colorList()->SetSelected(3);
            Press(&dialog, dialogs::kIdMoveDown);
            Press(&dialog, dialogs::kIdReset);  // the factory colours and 16, the row kept
            QVERIFY(std::ranges::equal(dialog.colorList()->colors, engine::kDefaultSliceColors));
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

    void handEditedProfile_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("slices");  // of both pies: nine entries each
        QTest::addColumn<QString>("shown");
        QTest::newRow("0") << "0" << 1 << "0";  // below 1 acts as 1: all in "Other"
        QTest::newRow("-3") << "-3" << 1 << "-3";
        QTest::newRow("1") << "1" << 1 << "1";
        QTest::newRow("100000") << "100000" << 9 << "100000";
        QTest::newRow("not a number") << "many" << 9 << "16";
    }

    void handEditedProfile() {
        QFETCH(QString, stored);
        QFETCH(int, slices);
        QFETCH(QString, shown);
        Window w({{"Number Of Slices", stored}, {"Color3", "-1"}});
        QCOMPARE(w.view().settings().sliceColors[3], engine::ColorRef(0xFFFFFFFF));
        QCOMPARE(w.view().folderView().pieChart().sliceCount(), slices);
        QCOMPARE(w.view().fileTypeView().pieChart().sliceCount(), slices);
        w.Preferences([&](CPreferencesDlg& dialog) {
            QCOMPARE(dialog.slicesEdit()->text(), shown);
            Press(&dialog, dialogs::kIdOk);
            QCOMPARE(dialog.isVisible(), shown != u"16");  // refused outside 5..25
            QCOMPARE(w.boxes.size(), dialog.isVisible() ? 1 : 0);
            if (dialog.isVisible()) {
                QCOMPARE(w.bytes(), w.before);
                dialog.slicesEdit()->setText(QStringLiteral("7"));
                Press(&dialog, dialogs::kIdOk);
            }
        });
        QSettings saved(w.file(), QSettings::IniFormat);
        QCOMPARE(saved.value(kGroup + "Color3").toInt(), -1);  // the colour as it was read
        QCOMPARE(saved.value(kGroup + "Number Of Slices").toInt(), shown == u"16" ? 16 : 7);
    }
};

QTEST_MAIN(TestPreferencesProfile)
#include "tst_preferences_profile.moc"
