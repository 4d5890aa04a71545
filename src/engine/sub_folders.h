#pragma once
// The sub-folders of one folder, read afresh each time: what the Explorer's tree shows
// when a folder opens. Files are never kept, so a folder of 200,000 files costs only the
// listing, and no stat call per file where the file system says what each entry is. Also
// how a typed name picks among the names of a folder.

#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "engine/text.h"

namespace dovrane::platform {
class Device;
class Folder;
}  // namespace dovrane::platform

namespace dovrane::engine {

// The device names of the folder's sub-folders, ordered by name without regard to case
// (equal names keep their enumeration order); empty when it has none. Nothing when the
// folder cannot be opened: a vanished or unreadable folder is not an empty one.
std::optional<QStringList> ReadSubFolders(platform::Device& device, QStringView devicePath);

// A path opened one folder at a time, each from the one above it: reaching a depth costs
// one open a level, where opening each level's full path would cost the depth each time.
class FolderTrail {
public:
    // At the root; lost() at once when the root cannot be opened.
    explicit FolderTrail(platform::Device& device);
    ~FolderTrail();
    FolderTrail(const FolderTrail&) = delete;
    FolderTrail& operator=(const FolderTrail&) = delete;

    // Steps into the sub-folder `deviceName` of the folder reached last. A sub-folder that
    // cannot be opened loses the trail for good.
    void enter(QStringView deviceName);
    bool lost() const { return m_folders.empty(); }
    // What ReadSubFolders gives for the folder reached last; nothing once lost.
    std::optional<QStringList> subFolders();

private:
    void lose();

    platform::Device& m_device;
    std::vector<std::unique_ptr<platform::Folder>> m_folders;  // the root first
};

// Which of `count` names `wanted` picks: the first spelled exactly as typed, else the
// first equal to it without regard to case, so that of "d_CASE" and "d_case" side by side
// each can be reached. Blanks belong to names ("d_ " is not "d_"); only when nothing
// matches as typed is the name tried again without blanks around it, as a typed path has
// always been taken. `nameAt(i)` gives the name of candidate i, or nothing when i is no
// candidate.
template <typename NameAt>
std::optional<size_t> PickByName(size_t count, QStringView wanted, NameAt&& nameAt) {
    for (const QStringView typed : {wanted, wanted.trimmed()}) {
        const QString folded = FoldCase(typed);
        std::optional<size_t> loose;
        for (size_t i = 0; i < count; ++i) {
            const std::optional<QString> name = nameAt(i);
            if (!name)
                continue;
            if (*name == typed)
                return i;
            if (!loose && FoldCase(*name) == folded)
                loose = i;
        }
        if (loose || typed.size() == wanted.trimmed().size())
            return loose;
    }
    return std::nullopt;
}

// True for a path component of blanks only that names nothing: it is passed over, as
// blanks around a typed path are.
inline bool BlankComponent(QStringView component) {
    return component.trimmed().isEmpty();
}

}  // namespace dovrane::engine
