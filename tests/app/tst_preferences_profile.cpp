// Preferences through the window: OK re-lays the open pies at once and keeps the settings
// for the next start; Cancel, Escape and closing, after Reset, change nothing in memory or
// on disk; a hand-edited profile far outside the range never breaks a view, and one that is
// no regular file is never opened.

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScopeGuard>
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
        // as 1: all in "Other"; the largest reaches the dialog as it is. Saving keeps the
        // colour as it was read.
        for (const auto& [stored, slices, shown] :
             {std::tuple("0", 1, "0"), {"2147483647", 9, "2147483647"}, {"many", 9, "16"}}) {
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

    // Only a regular file (or none yet) is opened as the profile, found through links: a
    // FIFO would hold the start for ever. Another kind gives the defaults, and saving
    // fails and leaves it as it was, while the values stay for the run.
    void profileThatIsNoRegularFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("opened");
        for (const auto& [kind, opened] : {std::pair("fifo", false),
                                           {"link to fifo", false},
                                           {"link to file", true},
                                           {"missing", true}})
            QTest::newRow(kind) << QString::fromLatin1(kind) << opened;
    }
    void profileThatIsNoRegularFile() {
        QFETCH(QString, kind);
        QFETCH(bool, opened);
        QTemporaryDir dir;
        // The user's own store, where the configuration folder says.
        const QByteArray home = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", home); });
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Dovrane Corporation")));
        const QString store =
            dir.filePath(QStringLiteral("Dovrane Corporation/Dovrane Storage Analyzer.conf"));
        const QByteArray host = QFile::encodeName(store);
        const QByteArray aside = QFile::encodeName(dir.filePath(QStringLiteral("aside")));
        if (kind == u"fifo")
            QVERIFY(::mkfifo(host.constData(), 0600) == 0);
        else if (kind.startsWith(u"link"))
            QVERIFY(::symlink(aside.constData(), host.constData()) == 0);
        if (kind == u"link to fifo")
            QVERIFY(::mkfifo(aside.constData(), 0600) == 0);
        const bool hadValue = kind == u"link to file";
        if (hadValue) {
            QFile f(QFile::decodeName(aside));
            QVERIFY(f.open(QIODevice::WriteOnly) &&
                    f.write("[Dovrane Storage Analyzer]\nNumber Of Slices=9\n") > 0);
        }
        struct stat before {};
        ::lstat(host.constData(), &before);

        platform::Profile profile;
        QCOMPARE(profile.fileName(), store);
        QCOMPARE(profile.opened(), opened);
        QCOMPARE(engine::ReadSettings(profile).numberOfSlices, hadValue ? 9 : 16);
        engine::Settings changed;
        changed.numberOfSlices = 7;
        QCOMPARE(engine::WriteSettings(profile, changed), opened);
        QCOMPARE(engine::ReadSettings(profile).numberOfSlices, 7);
        if (!opened) {
            struct stat after {};
            QVERIFY(::lstat(host.constData(), &after) == 0);
            QCOMPARE(after.st_ino, before.st_ino);
            QCOMPARE(after.st_mode, before.st_mode);
        }
    }
};

QTEST_MAIN(TestPreferencesProfile)
#include "tst_preferences_profile.moc"
