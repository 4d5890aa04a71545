// The desktop side of the platform layer: message-box and beep hooks, the launcher, the
// bundled files, the wait cursor and the Tahoma face.

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTest>

#include "platform/fonts.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/wait_cursor.h"

using namespace dovrane::platform;

class TestGuiPlatform : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void messageBoxesReachTheHook() {
        QList<MessageBoxRequest> asked;
        {
            const ScopedMessageBoxHook hook([&](const MessageBoxRequest& request) {
                asked.append(request);
                return request.buttons == MessageBoxButtons::YesNo ? MessageBoxResult::Yes
                                                                   : MessageBoxResult::Ok;
            });
            ShowMessage(nullptr, QStringLiteral("Folder View create failed"));
            QCOMPARE(ShowMessageBox({.text = QStringLiteral("Delete?"),
                                     .buttons = MessageBoxButtons::YesNo,
                                     .icon = MessageBoxIcon::Question}),
                     MessageBoxResult::Yes);
            {
                const ScopedMessageBoxHook inner(
                    [](const MessageBoxRequest&) { return MessageBoxResult::No; });
                QCOMPARE(ShowMessageBox({.text = QStringLiteral("inner"),
                                         .buttons = MessageBoxButtons::YesNo}),
                         MessageBoxResult::No);
            }
            ShowMessage(nullptr, QStringLiteral("after the inner hook"));
        }
        QCOMPARE(asked.size(), 3);
        QCOMPARE(asked[0].text, QStringLiteral("Folder View create failed"));
        QCOMPARE(asked[0].buttons, MessageBoxButtons::Ok);
        QCOMPARE(asked[1].icon, MessageBoxIcon::Question);
        QCOMPARE(asked[2].text, QStringLiteral("after the inner hook"));
        QVERIFY(!SetMessageBoxHook({}));  // every scope put back what it found
    }

    void beepsReachTheHook() {
        int beeps = 0;
        const BeepHook previous = SetBeepHook([&] { ++beeps; });
        MessageBeep();
        MessageBeep();
        SetBeepHook(previous);
        QCOMPARE(beeps, 2);
    }

    void launcherRecordsWhatWouldStart() {
        QList<LaunchRequest> started;
        const ScopedLauncher launcher([&](const LaunchRequest& request) {
            started.append(request);
            return request.kind == LaunchRequest::Kind::OpenUrl;
        });
        QVERIFY(OpenFile(QStringLiteral("/tmp/a b.txt")));
        QVERIFY(!StartProgram(QStringLiteral("gnome-system-monitor"), {QStringLiteral("-r")}));
        QCOMPARE(started.size(), 2);
        QCOMPARE(started[0].url, QUrl(QStringLiteral("file:///tmp/a%20b.txt")));
        QCOMPARE(started[1].kind, LaunchRequest::Kind::StartProgram);
        QCOMPARE(started[1].program, QStringLiteral("gnome-system-monitor"));
        QCOMPARE(started[1].arguments, QStringList{QStringLiteral("-r")});
    }

    void programsAreLookedUpOnPath() {
        QCOMPARE(FindProgram({QStringLiteral("no-such-program-dovrane"), QStringLiteral("sh"),
                              QStringLiteral("ls")}),
                 QStringLiteral("sh"));
        QVERIFY(FindProgram({QStringLiteral("no-such-program-dovrane")}).isEmpty());
        // Not found on PATH: the desktop launcher starts nothing and says so.
        QVERIFY(!StartProgram(QStringLiteral("no-such-program-dovrane")));
    }

    void bundledFilesAreCopiedOutOfTheProgram() {
        const QString path = BundledFilePath(QStringLiteral("PlexoryHelp.htm"),
                                             QStringLiteral(":/res/PlexoryHelp.htm"));
        QVERIFY(!path.isEmpty());
        QFile copy(path);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QFile original(QStringLiteral(":/res/PlexoryHelp.htm"));
        QVERIFY(original.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), original.readAll());
        QVERIFY(
            BundledFilePath(QStringLiteral("x.htm"), QStringLiteral(":/res/none.htm")).isEmpty());
    }

    void waitCursorNests() {
        QVERIFY(!QGuiApplication::overrideCursor());
        {
            const WaitCursor outer;
            {
                const WaitCursor inner;
                QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            }
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void tahomaFromWine() {
        QVERIFY(!LoadTahoma(QStringLiteral("/nonexistent-font-folder")));
        if (!QFile::exists(kWineFontFolder + QStringLiteral("/tahoma.ttf")))
            QSKIP("fonts-wine is not installed");
        QVERIFY(LoadTahoma());
        QVERIFY(QFontDatabase::families().contains(QStringLiteral("Tahoma")));
        QVERIFY(QFontDatabase::styles(QStringLiteral("Tahoma")).contains(QStringLiteral("Bold")));
    }
};

QTEST_MAIN(TestGuiPlatform)
#include "tst_gui_platform.moc"
