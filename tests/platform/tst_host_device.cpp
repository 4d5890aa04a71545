#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>
#include <map>
#include <set>

#include "platform/host_device.h"
#include "platform/host_stat.h"
#include "platform/name_codec.h"
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

class TestHostDevice : public QObject {
    Q_OBJECT
private slots:
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

    void creationIsBirthElseChange() {
        // Mask, birth time, the time shown: the birth time if known and set, else the change.
        for (const auto& [mask, birth, shown] :
             {std::tuple(unsigned{STATX_BTIME}, 100, 100), {0u, 100, 7}, {STATX_BTIME, 0, 7}}) {
            struct statx sx {};
            sx.stx_mask = mask;
            sx.stx_btime.tv_sec = birth;
            sx.stx_ctime.tv_sec = 7;
            QCOMPARE(qint64{CreationStamp(sx).tv_sec}, qint64{shown});
        }
    }

    // Names a path string could not carry (a backslash, invalid UTF-8) and a path of 5,050
    // bytes are all reached.
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

    // Enough long names that even the default buffer is refilled; the smallest one is taken
    // as one entry's worth.
    void bufferRefills() {
        TempTree t;
        t.folder("many");
        const int fd = t.openFolder("many");
        const std::string pad(60, 'n');
        for (int i = 0; i < 3000; ++i)
            ::close(::openat(fd, (std::to_string(i) + pad).c_str(), O_CREAT | O_WRONLY, 0644));
        ::close(fd);
        for (const size_t bufferBytes : {size_t{1}, size_t{128 * 1024}}) {
            HostDeviceOptions options;
            options.readBufferBytes = bufferBytes;
            HostDevice device(t.root(), options);
            Listing listing;
            device.read(*device.openFolder(u"\\many"), listing);
            std::set<std::string> names;
            for (const FindData& e : listing.entries)
                names.insert(std::string(listing.nameOf(e)));
            QCOMPARE(std::pair(bufferBytes, listing.entries.size()),
                     std::pair(bufferBytes, size_t{3000}));
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

    // Without a mount table each folder is stat'ed: pseudo file systems stay out all the
    // same. A parked folder is reopened by name: another folder renamed over it meanwhile is
    // not it, and is entered as empty.
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

    // A folder mounted inside itself is listed but never entered, by path or from its
    // parent, with or without the mount table; the same folder mounted beside itself is no
    // loop and is entered.
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

QTEST_GUILESS_MAIN(TestHostDevice)
#include "tst_host_device.moc"
