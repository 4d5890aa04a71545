#pragma once
// An in-memory device for tests: exact enumeration order (the order entries were added),
// any attributes, 64-bit sizes, hard links, folders that fail to open or stop part way.
//
//   TestDevice dev;
//   dev.addFile(u"\\Windows\\a.txt", 100).addFile(u"\\big.iso", 5ull << 32);
//   dev.addFolder(u"\\Locked").failToOpen(u"\\Locked");

#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/device.h"

namespace dovrane::platform {

class TestDevice final : public Device {
public:
    TestDevice();

    // Each adds the entry at the end of its folder, creating missing folders on the way.
    TestDevice& addFolder(QStringView path, quint32 extraAttributes = 0);
    TestDevice& addFile(QStringView path, quint64 size, quint32 extraAttributes = 0);
    // A further name for the file at `existing`: same identity, one more link for both.
    TestDevice& addHardLink(QStringView existing, QStringView path);
    TestDevice& failToOpen(QStringView folderPath);
    // The folder is one the walk must not enter, for `why` (Pseudo or Network).
    TestDevice& notEntered(QStringView folderPath, FolderState why);
    // Enumeration of the folder ends after `count` entries, as if it vanished mid-walk.
    TestDevice& stopReadingAfter(QStringView folderPath, int count);

    // Memory and volume figures; none set means the query fails.
    TestDevice& setMemory(std::optional<MemoryFigures> figures);
    // The volume of the folder at `devicePath` and of everything below it.
    TestDevice& setDiskSpace(QStringView devicePath, std::optional<DiskSpace> space);
    // Takes a folder out, as a card pulled between listing and reading.
    TestDevice& remove(QStringView path);
    // Every folder read counts as a read from storage, as on a cold disk.
    TestDevice& setCold(bool cold);
    // A read from storage by the calling thread outside any folder's reading, as of a page
    // of the program the system had evicted.
    static void readElsewhere();

    std::unique_ptr<Folder> openFolder(QStringView devicePath) override;
    std::unique_ptr<Folder> openChild(Folder& parent, std::string_view hostName) override;
    FolderState whyNotOpened(Folder& parent, std::string_view hostName) override;
    // Export detail: blocks are the size rounded up to 512 bytes; times are 0.
    void read(Folder& folder, Listing& out, ReadDetail detail = ReadDetail::Full) override;
    quint64 blocksReadByThisThread() const override;
    std::optional<MemoryFigures> globalMemoryStatus() override { return m_memory; }
    std::optional<DiskSpace> diskFreeSpace(QStringView devicePath) override;

    std::optional<FileDetails> findFile(QStringView devicePath) override;
    std::optional<QByteArray> readFileStart(QStringView devicePath, qint64 maxBytes) override;
    RemoveResult removeFile(QStringView devicePath, const FileIdentity& expected,
                            RemoveMode mode) override;
    // The content readFileStart gives for a file (none: empty content).
    TestDevice& setContent(QStringView path, const QByteArray& content);
    // The file at `path` cannot be removed, as one that is in use.
    TestDevice& failToRemove(QStringView path);
    // Moves to the trash fail with NoTrash.
    TestDevice& setNoTrash(bool noTrash);
    // Paths removed, in order, with " (trash)" after those moved to the trash.
    const QStringList& removed() const { return m_removed; }

    int openCount() const { return m_openCount.load(); }
    // How many threads have read a folder.
    size_t readingThreads() const;

private:
    struct Node {
        QString name;
        std::string hostName;
        FindData data;
        std::vector<int> children;
        bool failsToOpen = false;
        FolderState refusal = FolderState::Unreadable;
        int readLimit = -1;
        bool failsToRemove = false;
        QByteArray content;
    };
    class TestFolder;

    Node& at(int node) { return m_nodes[static_cast<size_t>(node)]; }
    const Node& at(int node) const { return m_nodes[static_cast<size_t>(node)]; }
    const Node& at(Folder& folder) const;
    int find(QStringView path) const;
    // The entry at `path`, the root only when `rootToo`; throws when there is none.
    Node& existing(QStringView path, bool rootToo = false);
    int findOrCreate(QStringView path, bool folder);
    int childNamed(int folder, QStringView name) const;
    int hostChild(Folder& parent, std::string_view hostName) const;  // -1: none
    std::unique_ptr<Folder> enter(int node);  // none for -1, a file or a folder that fails

    std::vector<Node> m_nodes;
    QHash<QString, int> m_folderCache;  // folder path -> node
    bool m_cold = false;
    std::optional<MemoryFigures> m_memory;
    std::map<int, std::optional<DiskSpace>> m_volumes;  // by folder node
    quint64 m_nextInode = 1;
    std::atomic<int> m_openCount{0};
    mutable std::mutex m_readersMutex;
    std::set<std::thread::id> m_readers;
    QStringList m_removed;
    bool m_noTrash = false;
};

}  // namespace dovrane::platform
