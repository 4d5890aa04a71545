// The platform layer beside the host device: host names to device names and back, device
// paths, and the desktop side: the message-box hook, the launcher, the bundled files, the
// wait cursor and the Tahoma face.

#include <QFontDatabase>
#include <QGuiApplication>
#include <QtTest>

#include "platform/device_path.h"
#include "platform/fonts.h"
#include "platform/message_box.h"
#include "platform/name_codec.h"
#include "platform/shell.h"
#include "platform/wait_cursor.h"

using namespace dovrane::platform;

class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    void decodesExactlyAndBack() {
        // UTF-8 as it is, the host's backslash as the fullwidth one (and a host fullwidth
        // backslash escaped), every byte of an invalid, truncated, overlong, surrogate or
        // beyond-U+10FFFF sequence as its own escape; a newline kept.
        const std::pair<QByteArray, QString> names[] = {
            {"\xf0\x9f\x98\x80.png", QString::fromUtf16(u"\U0001F600.png")},
            {"a\\b", QString::fromUtf16(u"a\uFF3Cb")},
            {"x\xef\xbc\xbc", QString::fromUtf16(u"x\xDCEF\xDCBC\xDCBC")},
            {"a\xff\x62", QString::fromUtf16(u"a\xDCFF\x62")},
            {"\xc3", QString::fromUtf16(u"\xDCC3")},
            {"\xc0\xaf", QString::fromUtf16(u"\xDCC0\xDCAF")},
            {"\xed\xa0\x80", QString::fromUtf16(u"\xDCED\xDCA0\xDC80")},
            {"\xf4\x90\x80\x80", QString::fromUtf16(u"\xDCF4\xDC90\xDC80\xDC80")},
            {"a\nb", "a\nb"}};
        for (const auto& [host, device] : names) {
            QCOMPARE(DecodeHostName(host.toStdString()), device);
            QCOMPARE(QByteArray::fromStdString(EncodeDeviceName(device).value_or("")), host);
        }
    }

    void refusesNamesNoHostCanHold() {
        // Empty, dot, dot dot, a slash, NUL, a lone high surrogate, an escape of ASCII.
        for (const QString& name :
             {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"),
              QString(QChar(0)), QString::fromUtf16(u"a\xD800"), QString::fromUtf16(u"\xDC41")})
            QVERIFY2(!EncodeDeviceName(name).has_value(), qPrintable(name));
    }

    void everyByteRoundTrips() {
        std::string all;
        for (int b = 1; b < 256; ++b)
            if (b != '/')
                all.push_back(static_cast<char>(b));
        QCOMPARE(EncodeDeviceName(DecodeHostName(all)).value_or(""), all);
    }

    void devicePaths() {
        QCOMPARE(SplitDevicePath(u"\\usr\\\\share\\"), QStringList({"usr", "share"}));
        QCOMPARE(SplitDevicePath(u"\\"), QStringList());
        QCOMPARE(JoinDevicePath(u"\\", u"a"), QStringLiteral("\\a"));
        QCOMPARE(JoinDevicePath(u"\\x", u"a"), QStringLiteral("\\x\\a"));
    }

    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void hooksTakeTheBoxesAndLaunches() {
        QList<MessageBoxRequest> asked;
        {
            const ScopedMessageBoxHook hook([&](const MessageBoxRequest& request) {
                asked.append(request);
                return request.buttons == MessageBoxButtons::YesNo ? MessageBoxResult::Yes
                                                                   : MessageBoxResult::Ok;
            });
            QCOMPARE(ShowMessageBox({.text = "Delete?", .buttons = MessageBoxButtons::YesNo}),
                     MessageBoxResult::Yes);
            {
                const ScopedMessageBoxHook inner(
                    [](const MessageBoxRequest&) { return MessageBoxResult::No; });
                QCOMPARE(ShowMessageBox({.text = "inner", .buttons = MessageBoxButtons::YesNo}),
                         MessageBoxResult::No);
            }
            ShowMessage(nullptr, QStringLiteral("after the inner hook"));
        }
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[1].text, QStringLiteral("after the inner hook"));
        QVERIFY(!SetMessageBoxHook({}));  // every scope put back what it found

        QList<LaunchRequest> started;
        const ScopedLauncher launcher([&](const LaunchRequest& request) {
            started.append(request);
            return request.kind == LaunchRequest::Kind::OpenUrl;
        });
        QVERIFY(OpenFile(QStringLiteral("/tmp/a b.txt")));
        QVERIFY(!StartProgram(QStringLiteral("gnome-system-monitor"), {QStringLiteral("-r")}));
        QCOMPARE(started.size(), 2);
        QCOMPARE(started[0].url, QUrl(QStringLiteral("file:///tmp/a%20b.txt")));
        QCOMPARE(started[1].program, QStringLiteral("gnome-system-monitor"));
        QCOMPARE(started[1].arguments, QStringList{QStringLiteral("-r")});
    }

    void programsAreLookedUpOnPath() {
        QCOMPARE(FindProgram({QStringLiteral("no-such-program-dovrane"), QStringLiteral("sh"),
                              QStringLiteral("ls")}),
                 QStringLiteral("sh"));
        // Not found on PATH: the desktop launcher starts nothing and says so.
        QVERIFY(!StartProgram(QStringLiteral("no-such-program-dovrane")));
    }

    void bundledFilesAreCopiedOutOfTheProgram() {
        QFile copy(BundledFilePath("PlexoryHelp.htm", ":/res/PlexoryHelp.htm"));
        QFile original(QStringLiteral(":/res/PlexoryHelp.htm"));
        QVERIFY(copy.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), original.readAll());
        QVERIFY(BundledFilePath("x.htm", ":/res/none.htm").isEmpty());
    }

    void waitCursorNests() {
        {
            const WaitCursor outer;
            { const WaitCursor inner; }
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void tahomaFromWine() {
        QVERIFY(!LoadTahoma(QStringLiteral("/nonexistent-font-folder")));
        if (!QFile::exists(kWineFontFolder + QStringLiteral("/tahoma.ttf")))
            QSKIP("fonts-wine is not installed");
        QVERIFY(LoadTahoma());
        QVERIFY(QFontDatabase::styles(QStringLiteral("Tahoma")).contains(QStringLiteral("Bold")));
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
