// Preferences through the window: OK re-lays the open pies at once and keeps the settings
// for the next start; Cancel, Escape and closing change nothing in memory or on disk; a
// hand-edited profile with values far outside the range never breaks a view.

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <memory>
#include <numbers>

#include "app/analyzer_app.h"
#include "app/main_view.h"
#include "app/resource.h"
#include "charts/color_ref.h"
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

// A window over nine folders of nine file types, its settings read from `profileValues`
// written into a fresh profile file, as a user would have left them.
struct Window {
    explicit Window(const QList<std::pair<QString, QString>>& profileValues = {}) {
        {
            QSettings edited(file(), QSettings::IniFormat);
            for (const auto& [name, value] : profileValues)
                edited.setValue(kGroup + name, value);
        }
        profile = std::make_unique<platform::Profile>(file());
        for (int i = 0; i < 9; ++i)
            device.addFile(QStringLiteral("\\d%1\\f.t%1").arg(i), quint64(1000 - 50 * i));
        app::AppStart start;
        start.view = {.settings = engine::ReadSettings(*profile),
                      .device = &device,
                      .profile = profile.get(),
                      .pace = {}};
        application = std::make_unique<app::CAnalyzerApp>(start);
        if (!application->InitInstance())
            qFatal("the window did not start");
        view().OnViewFolder();
        view().OnViewFileType();
    }
    QString file() const { return dir.filePath(QStringLiteral("profile.ini")); }
    QByteArray bytes() const {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    }
    app::CDovraneStorageAnalyzerView& view() const { return *application->mainView(); }
    bool Busy() const { return view().folderView().IsBusy() || view().fileTypeView().IsBusy(); }
    // Runs Preferences, `act` working the dialog; whatever `act` leaves open is cancelled.
    void Preferences(const std::function<void(CPreferencesDlg&)>& act) {
        QTimer::singleShot(0, [act] {
            auto* dialog = qobject_cast<CPreferencesDlg*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            act(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        view().OnCmdMsg(app::kIdPreferences);
    }

    QTemporaryDir dir;
    platform::TestDevice device;
    std::unique_ptr<platform::Profile> profile;
    QStringList boxes;
    platform::ScopedMessageBoxHook hook{[this](const platform::MessageBoxRequest& request) {
        boxes.append(request.text);
        return platform::MessageBoxResult::Ok;
    }};
    std::unique_ptr<app::CAnalyzerApp> application;
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
        QTRY_VERIFY(!w.Busy());
        w.Preferences([](CPreferencesDlg& dialog) {
            QTest::mouseClick(dialog.colorList()->viewport(), Qt::LeftButton, {}, QPoint(50, 25));
            Press(&dialog, dialogs::kIdMoveUp);  // green first, red second
            dialog.slicesEdit()->setText(QStringLiteral("5"));
            Press(&dialog, dialogs::kIdOk);
        });
        QVERIFY(w.boxes.isEmpty());
        const engine::Settings& now = w.view().settings();
        QCOMPARE(now.numberOfSlices, 5);
        QCOMPARE(now.sliceColors[0], engine::ColorRef(0x008000));
        QCOMPARE(now.sliceColors[1], engine::ColorRef(0x0000FF));
        // Both pies again, from the trees already scanned: four named slices and "Other".
        QCOMPARE(w.view().fileTypeView().pieChart().sliceCount(), 5);
        QCOMPARE(w.view().folderView().scanCount(), 1);
        QCOMPARE(w.view().fileTypeView().scanCount(), 1);
        w.view().OnViewFolder();
        auto& folder = w.view().folderView();
        QCOMPARE(folder.pieChart().sliceCount(), 5);
        const auto& first = folder.pieChart().slices()[0];
        const double a = (first.startAngle + first.endAngle) / 2.0 * std::numbers::pi / 180.0;
        const QPoint at =
            folder.currentLayout().chartCenter +
            QPoint(int(std::lround(40 * std::cos(a))), int(std::lround(-40 * std::sin(a))));
        const QImage image = folder.grab().toImage();
        const qreal r = image.devicePixelRatio();
        QCOMPARE(image.pixel(qRound(at.x() * r), qRound(at.y() * r)) & 0xFFFFFF, QRgb(0x008000));
        // The next start reads exactly what the view now uses, from seventeen values.
        QCOMPARE(QSettings(w.file(), QSettings::IniFormat).allKeys().size(), 17);
        QCOMPARE(engine::ReadSettings(platform::Profile(w.file())), now);
    }

    void cancelChangesNothing_data() {
        QTest::addColumn<int>("how");  // 0 the Cancel button, 1 Escape, 2 closing the window
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close") << 2;
    }

    void cancelChangesNothing() {
        QFETCH(int, how);
        Window w({{"Number Of Slices", "7"}, {"Color0", "255"}});
        QTRY_VERIFY(!w.Busy());
        const QByteArray before = w.bytes();
        const engine::Settings settings = w.view().settings();
        w.Preferences([how](CPreferencesDlg& dialog) {
            QCOMPARE(dialog.slicesEdit()->text(), QStringLiteral("7"));
            dialog.colorList()->SetSelected(0);
            Press(&dialog, dialogs::kIdMoveDown);
            Press(&dialog, dialogs::kIdReset);
            if (how == 0)
                Press(&dialog, dialogs::kIdCancel);
            else if (how == 1)
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                dialog.close();
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        });
        QCOMPARE(w.view().settings(), settings);
        QCOMPARE(w.view().folderView().pieChart().sliceCount(), 7);
        QCOMPARE(w.bytes(), before);
    }

    void handEditedProfile_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("slices");  // of the folder pie: nine folders
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
        QTRY_VERIFY(!w.Busy());
        QCOMPARE(w.view().settings().sliceColors[3], engine::ColorRef(0xFFFFFFFF));
        QCOMPARE(w.view().folderView().pieChart().sliceCount(), slices);
        QCOMPARE(w.view().fileTypeView().pieChart().sliceCount(), slices);
        const QByteArray before = w.bytes();  // nothing written back at start-up
        w.Preferences([&](CPreferencesDlg& dialog) {
            QCOMPARE(dialog.slicesEdit()->text(), shown);
            Press(&dialog, dialogs::kIdOk);
            if (shown != QStringLiteral("16")) {
                QCOMPARE(w.boxes, QStringList{dialogs::NumberOfSlicesRangeMessage()});
                QCOMPARE(w.bytes(), before);
                dialog.slicesEdit()->setText(QStringLiteral("7"));
                Press(&dialog, dialogs::kIdOk);
            }
            QVERIFY(!dialog.isVisible());
        });
        QSettings saved(w.file(), QSettings::IniFormat);
        QCOMPARE(saved.value(kGroup + "Color3").toInt(), -1);  // the colour as it was read
        QCOMPARE(saved.value(kGroup + "Number Of Slices").toInt(),
                 shown == QStringLiteral("16") ? 16 : 7);
    }
};

QTEST_MAIN(TestPreferencesProfile)
#include "tst_preferences_profile.moc"
