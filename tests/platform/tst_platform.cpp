// The host device on real folders; host names, the message-box hook, the launcher, the
// profile, the Tahoma face.

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QtTest>
#include <map>
#include <set>

#include "platform/fonts.h"
#include "platform/host_device.h"
#include "platform/message_box.h"
#include "platform/name_codec.h"
#include "platform/png_file.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "support/probes.h"
#include "support/temp_tree.h"

using namespace dovrane::platform;
using namespace dovrane::test;

namespace {

// name (decoded) -> entry, for one folder of the device.
std::map<QString, FindData> ReadAll(Device& device, QStringView path) {
    std::map<QString, FindData> out;
    auto folder = device.openFolder(path);
    if (!folder)
        return out;
    Listing listing;
    device.read(*folder, listing);
    for (const FindData& e : listing.entries)
        out[DecodeHostName(listing.nameOf(e))] = e;
    return out;
}

// The host names of one folder's listing in their order, read with a buffer of
// `bufferBytes`.
std::vector<std::string> NamesRead(const QString& root, QStringView path, size_t bufferBytes) {
    HostDeviceOptions options;
    options.readBufferBytes = bufferBytes;
    HostDevice device(root, options);
    Listing listing;
    device.read(*device.openFolder(path), listing);
    std::vector<std::string> names;
    for (const FindData& e : listing.entries)
        names.emplace_back(listing.nameOf(e));
    return names;
}

// A bind mount for the life of the object; `ok` false when this host lets no test mount.
struct BindMount {
    BindMount(const std::string& from, const std::string& onto)
        : point(onto), ok(::mount(from.c_str(), onto.c_str(), nullptr, MS_BIND, nullptr) == 0) {}
    ~BindMount() {
        if (ok)
            ::umount2(point.c_str(), MNT_DETACH);
    }
    const std::string point;
    const bool ok;
};

}  // namespace

class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    void decodesExactlyAndBack() {
        // The host's backslash as the fullwidth one; each byte of a bad sequence escaped.
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
        QVERIFY(asked.size() == 2 && asked[1].text == u"after the inner hook");
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
        QCOMPARE(started[1].program + u' ' + started[1].arguments.join(u' '),
                 QStringLiteral("gnome-system-monitor -r"));
    }

    // Only a regular file (or none yet) is opened as the profile, through links: a FIFO would
    // hold the start for ever. Saving another kind fails and leaves it; the values stay.
    void profileThatIsNoRegularFile() {
        for (const auto& [kind, opened] : {std::pair(QStringLiteral("fifo"), false),
                                           {"link to fifo", false},
                                           {"link to file", true},
                                           {"missing", true}}) {
            QTemporaryDir dir;
            const QByteArray store = QFile::encodeName(dir.filePath("p.conf")),
                             aside = QFile::encodeName(dir.filePath("aside"));
            if (kind.endsWith(u"fifo"))
                QCOMPARE(::mkfifo((kind == u"fifo" ? store : aside).constData(), 0600), 0);
            if (kind.startsWith(u"link"))
                QCOMPARE(::symlink(aside.constData(), store.constData()), 0);
            if (kind == u"link to file") {
                QFile f(QFile::decodeName(aside));
                QVERIFY(f.open(QIODevice::WriteOnly) && f.write("[s]\nn=9\n") > 0);
            }
            struct stat before = {}, after = {};
            ::lstat(store.constData(), &before);
            Profile profile(QFile::decodeName(store));
            QCOMPARE(std::pair(kind, profile.opened()), std::pair(kind, opened));
            QCOMPARE(profile.readInt("s", "n", 16), kind == u"link to file" ? 9 : 16);
            profile.writeInt("s", "n", 7);
            QCOMPARE(profile.sync(), opened);
            QCOMPARE(profile.readInt("s", "n", 16), 7);
            QVERIFY(opened || ::lstat(store.constData(), &after) == 0);
            QVERIFY(opened || (after.st_ino == before.st_ino && after.st_mode == before.st_mode));
        }
    }

    // Every pixel read back as written: one thread or two halves (an odd height splits
    // unevenly), with and without alpha; no file on a full disk.
    void pngReadsBack_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("alpha");
        QTest::newRow("1x1") << QSize(1, 1) << false;
        QTest::newRow("halves of 401x333") << QSize(401, 333) << false;
        QTest::newRow("halves with alpha") << QSize(300, 300) << true;
    }
    void pngReadsBack() {
        QFETCH(QSize, size);
        QFETCH(bool, alpha);
        QImage image(size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y,
                               qRgba(x * 7, y * 13, (x ^ y) & 0xFF, alpha ? (x + y) & 0xFF : 255));
        const QImage back = QImage::fromData(EncodePng(image), "PNG");
        QCOMPARE(back.hasAlphaChannel(), alpha);
        QCOMPARE(back.convertToFormat(image.format()), image);
        QVERIFY(EncodePng(QImage()).isEmpty());
        QVERIFY(WritePng(image, QStringLiteral("/dev/full")) == u"No space left on device");
        QVERIFY(WritePng(image, QStringLiteral("/nonexistent-folder/x.png")) ==
                u"No such file or directory");
        QVERIFY(WritePng(QImage(), QStringLiteral("/dev/null")) == u"nothing to draw");
    }

    void tahomaFromWine() {
        QVERIFY(!LoadTahoma(QStringLiteral("/nonexistent-font-folder")));
        if (!QFile::exists(kWineFontFolder + QStringLiteral("/tahoma.ttf")))
            QSKIP("fonts-wine is not installed");
        QVERIFY(LoadTahoma());
        QVERIFY(QFontDatabase::styles(QStringLiteral("Tahoma")).contains(QStringLiteral("Bold")));
    }

    void attributesSizesAndLinks() {
        TempTree t;
        t.folder("sub");
        t.file("plain.txt", 1234);
        t.file(".hidden");
        t.file("locked");
        ::chmod(t.host("locked").c_str(), 0444);
        t.file("huge.iso", 5ll << 30);  // sparse
        QVERIFY(::symlink("sub", t.host("to-sub").c_str()) == 0);
        QVERIFY(::symlink("loop", t.host("loop").c_str()) == 0);
        HostDevice device(t.root());
        QVERIFY(device.ok());
        struct stat st {};
        QVERIFY(::lstat(t.host("plain.txt").c_str(), &st) == 0);
        QCOMPARE(device.findFile(u"\\plain.txt")->lastWriteTime,
                 qint64{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec);
        const auto entries = ReadAll(device, u"\\");
        QCOMPARE(entries.size(), size_t{7});
        QCOMPARE(entries.at("sub").attributes, quint32{kAttributeDirectory});
        QCOMPARE(entries.at("plain.txt").attributes, quint32{kAttributeArchive});
        QCOMPARE(entries.at("plain.txt").size, quint64{1234});
        QCOMPARE(entries.at(".hidden").attributes, quint32{kAttributeArchive | kAttributeHidden});
        QCOMPARE(entries.at("locked").attributes, quint32{kAttributeArchive | kAttributeReadOnly});
        QCOMPARE(entries.at("huge.iso").size, quint64{5} << 30);
        // Links are entries of their own, with their own size, never folders.
        QCOMPARE(entries.at("to-sub").attributes, quint32{0});
        QCOMPARE(entries.at("to-sub").size, quint64{3});
        auto root = device.openFolder(u"\\");
        QVERIFY(!device.openChild(*root, "to-sub"));
        QVERIFY(!device.openChild(*root, "loop"));
        QVERIFY(device.openChild(*root, "sub"));
        QVERIFY(!device.openChild(*root, "vanished"));
    }

    // A backslash, invalid UTF-8 and a path of 5,050 bytes are all reached.
    void pathsNoStringCouldCarry() {
        TempTree t;
        t.folder("back\\slash");
        t.file("back\\slash/in");
        t.folder("bad\xff");
        t.file("bad\xff/x");
        const std::string name(100, 'd');
        const int fd = Descend(t.openFolder(), name, 50);
        MakeFile(InFolder(fd, "deep.txt"));
        ::close(fd);
        HostDevice device(t.root());
        QCOMPARE(ReadAll(device, QString::fromUtf16(u"\\back\uFF3Cslash")).size(), size_t{1});
        QCOMPARE(ReadAll(device, QString::fromUtf16(u"\\bad\xDCFF")).size(), size_t{1});
        const auto deep = ReadAll(device, (u'\\' + QString::fromStdString(name)).repeated(50));
        QVERIFY(deep.size() == 1 && deep.count("deep.txt"));
    }

    // Enough long names that even the default buffer is refilled; 1 byte: one entry's worth.
    void bufferRefills() {
        TempTree t;
        t.folder("many");
        const int fd = t.openFolder("many");
        const std::string pad(60, 'n');
        for (int i = 0; i < 3000; ++i)
            ::close(::openat(fd, (std::to_string(i) + pad).c_str(), O_CREAT | O_WRONLY, 0644));
        ::close(fd);
        for (const size_t bufferBytes : {size_t{1}, size_t{128 * 1024}}) {
            const std::vector<std::string> read = NamesRead(t.root(), u"\\many", bufferBytes);
            const std::set<std::string> names(read.begin(), read.end());
            QCOMPARE(std::pair(bufferBytes, read.size()), std::pair(bufferBytes, size_t{3000}));
            QCOMPARE(names.size(), size_t{3000});
            QVERIFY(names.count("2999" + pad));
        }
        // A stopped walk reads no more of the folder.
        HostDevice device(t.root());
        Listing listing;
        const std::atomic<bool> stopped{false};
        listing.going = &stopped;
        device.read(*device.openFolder(u"\\many"), listing);
        QVERIFY(listing.entries.empty());
    }

    // Names of every length a host holds, as files and as folders, each read back whole: a
    // name's length comes from its record's, wherever the record falls in the buffer.
    void namesOfEveryLength() {
        TempTree t;
        const int fd = t.openFolder();
        std::set<std::string> made;
        for (size_t length = 1; length <= 255; ++length) {
            const std::string file(length, 'f');
            const std::string folder = std::string(length - 1, 'd') + '\xff';
            ::close(::openat(fd, file.c_str(), O_CREAT | O_WRONLY, 0644));
            QVERIFY(::mkdirat(fd, folder.c_str(), 0755) == 0);
            made.insert(file);
            made.insert(folder);
        }
        ::close(fd);
        for (const size_t bufferBytes : {size_t{512}, size_t{128 * 1024}}) {
            const std::vector<std::string> read = NamesRead(t.root(), u"", bufferBytes);
            QVERIFY(std::set<std::string>(read.begin(), read.end()) == made);
        }
    }

    // Without a mount table pseudo file systems stay out all the same. A parked folder
    // reopened by name: another renamed over it meanwhile is not it, and is entered as empty.
    void mountTableAndParkedFolders_data() {
        QTest::addColumn<QString>("mountInfo");
        QTest::addColumn<bool>("replace");
        for (const QString table : {"/proc/self/mountinfo", "/no/mountinfo"})
            for (const bool replace : {false, true})
                QTest::addRow("%s%s", qPrintable(table), replace ? ", replaced" : "")
                    << table << replace;
    }
    void mountTableAndParkedFolders() {
        QFETCH(QString, mountInfo);
        QFETCH(bool, replace);
        HostDeviceOptions options;
        options.mountInfoPath = mountInfo;
        struct stat st {};
        if (::stat("/proc/self", &st) == 0) {
            HostDevice host(QStringLiteral("/"), options);
            QVERIFY(!host.openFolder(u"\\proc"));
            QVERIFY(!host.openChild(*host.openFolder(u"\\"), "proc"));
            QVERIFY(ReadAll(host, u"\\").at("proc").isFolder());  // listed all the same
        }
        TempTree t;
        for (const std::string dir : {"p", "other"}) {
            t.folder(dir);
            t.folder(dir + "/kid");
            t.file(dir + "/kid/" + dir, 7);
        }
        HostDevice device(t.root(), options);
        auto root = device.openFolder(u"\\");
        auto p = device.openChild(*root, "p");
        QVERIFY(p);
        device.park(*p);
        if (replace) {
            QVERIFY(::rename(t.host("p").c_str(), t.host("gone").c_str()) == 0);
            QVERIFY(::rename(t.host("other").c_str(), t.host("p").c_str()) == 0);
        }
        auto kid = device.openChild(*p, "kid");
        Listing listing;
        if (kid)
            device.read(*kid, listing);
        QCOMPARE(listing.entries.size(), size_t(replace ? 0 : 1));
        if (!replace)
            QCOMPARE(listing.entries[0].size, quint64{7});
    }

    // A folder mounted inside itself is listed, never entered; mounted beside itself it is.
    void bindMountLoops() {
        TempTree t;
        for (const char* dir : {"x", "x/a", "x/a/inside", "x/a/inside/deeper", "x/beside", "y"})
            t.folder(dir);
        t.file("x/a/f", 5);
        const BindMount self(t.host("x/a"), t.host("x/a/inside/deeper"));
        if (!self.ok)
            QSKIP("this host lets the test mount nothing (mount --bind needs CAP_SYS_ADMIN)");
        const BindMount beside(t.host("y"), t.host("x/beside"));
        QVERIFY(beside.ok);
        for (const QString mountInfo : {"/proc/self/mountinfo", "/no/mountinfo"}) {
            const Case with(mountInfo);
            HostDeviceOptions options;
            options.mountInfoPath = mountInfo;
            HostDevice device(t.root(), options);
            QVERIFY(ReadAll(device, u"\\x\\a\\inside").at("deeper").isFolder());
            QVERIFY(!device.openFolder(u"\\x\\a\\inside\\deeper"));
            QVERIFY(!device.openFolder(u"\\x\\a\\inside\\deeper\\inside"));
            auto inside = device.openFolder(u"\\x\\a\\inside");
            QVERIFY(inside);
            QVERIFY(!device.openChild(*inside, "deeper"));
            auto x = device.openFolder(u"\\x");
            QVERIFY(device.openChild(*x, "beside"));
            QVERIFY(device.openFolder(u"\\x\\beside"));
            // Parked on the way down and reopened: the loop is still seen.
            auto a = device.openChild(*x, "a");
            auto in = device.openChild(*a, "inside");
            device.park(*x);
            device.park(*a);
            device.park(*in);
            QVERIFY(!device.openChild(*in, "deeper"));
            // A device whose root is the mount itself: the loop leads to the root.
            HostDevice fromA(QString::fromStdString(t.host("x/a")), options);
            auto root = fromA.openFolder(u"\\inside");
            QVERIFY(root);
            QVERIFY(!fromA.openChild(*root, "deeper"));
        }
    }

    void unreadableFolderIsEmpty() {
        if (::geteuid() == 0)
            QSKIP("root reads every folder");
        TempTree t;
        t.folder("shut");
        t.file("shut/x");
        ::chmod(t.host("shut").c_str(), 0);
        HostDevice device(t.root());
        auto root = device.openFolder(u"\\");
        QVERIFY(!device.openChild(*root, "shut"));
        ::chmod(t.host("shut").c_str(), 0755);
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
