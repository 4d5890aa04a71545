#include "engine/file_types.h"

#include <algorithm>
#include <utility>

#include "engine/file_collector.h"
#include "engine/orders.h"
#include "engine/slice_rules.h"
#include "platform/device.h"
#include "platform/name_codec.h"

namespace dovrane::engine {
namespace {

const QString kGeneric = QStringLiteral("Generic");

}  // namespace

QString FileTypeOf(QStringView fileName) {
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? kGeneric : fileName.mid(dot + 1).toString();
}

std::vector<quint32> FilesBySize(const FileList& list, const std::vector<quint32>& files) {
    return OrderBySize(files, [&list](quint32 r) { return list[r].size; });
}

FileOrder& FileOrder::operator=(const FileOrder& other) {
    if (this != &other)
        *this = other.get();
    return *this;
}

FileOrder& FileOrder::operator=(std::vector<quint32> order) {
    std::lock_guard lock(m_mutex);
    m_order = std::move(order);
    m_build = nullptr;
    m_built.store(true, std::memory_order_release);
    return *this;
}

void FileOrder::defer(Build build) {
    std::lock_guard lock(m_mutex);
    m_order = {};
    m_build = std::move(build);
    m_built.store(false, std::memory_order_release);
}

const std::vector<quint32>& FileOrder::get() const {
    if (!m_built.load(std::memory_order_acquire)) {
        std::lock_guard lock(m_mutex);
        if (!m_built.load(std::memory_order_relaxed)) {
            m_order = m_build();
            m_build = nullptr;
            m_built.store(true, std::memory_order_release);
        }
    }
    return m_order;
}

void FileTypeStat::DeferOrders(const FileList& list) {
    filesBySize.defer([this, &list] { return FilesBySize(list, files); });
    filesByName.defer([this, &list] { return FilesByName(list, files); });
}

namespace {

// A record with the first seven bytes of its folded name, big-endian, so that most
// comparisons are one integer compare. The low byte says the prefix decides: the name's
// first seven bytes (or all of it) are plain ASCII, where folding is byte for byte.
struct NameKey {
    quint32 high, low;
    quint32 record;
};

NameKey KeyOf(const FileList& list, quint32 record) {
    const std::string_view name = list.hostName(list[record]);
    quint64 key = 0;
    bool exact = true;
    for (size_t i = 0; i < 7; ++i) {
        auto c = i < name.size() ? static_cast<unsigned char>(name[i]) : 0;
        if (c >= 0x80 || c == '\\')
            exact = false;
        if (c >= 'A' && c <= 'Z')
            c += 32;
        key = (key << 8) | (exact ? c : 0);
    }
    key = (key << 8) | (exact ? 1 : 0);
    return {static_cast<quint32>(key >> 32), static_cast<quint32>(key), record};
}

std::vector<NameKey> KeyedByName(const FileList& list, const std::vector<quint32>& files) {
    std::vector<NameKey> keyed(files.size());
    ReverseStableSort(
        files.begin(), files.end(), keyed.begin(),
        [&list](quint32 record) { return KeyOf(list, record); },
        [&list](const NameKey& a, const NameKey& b) {
            if ((a.low & b.low & 1) && (a.high != b.high || a.low != b.low))
                return a.high != b.high ? a.high < b.high : a.low < b.low;
            return CompareHostNamesNoCase(list.hostName(list[a.record]),
                                          list.hostName(list[b.record])) < 0;
        });
    return keyed;
}

}  // namespace

std::vector<quint32> FilesByName(const FileList& list, const std::vector<quint32>& files) {
    const std::vector<NameKey> keyed = KeyedByName(list, files);
    std::vector<quint32> byName;
    byName.reserve(keyed.size());
    for (const NameKey& k : keyed)
        byName.push_back(k.record);
    return byName;
}

namespace {

// A hash of the name as CompareHostNamesNoCase sees it: its UTF-16 units after toLower, so
// that names it calls equal hash alike. Plain ASCII is folded byte for byte, as it decodes.
quint64 FoldedNameHash(std::string_view name) {
    quint64 h = 0xcbf29ce484222325ULL;  // FNV-1a, a unit at a time
    const auto add = [&h](char16_t unit) { h = (h ^ unit) * 0x100000001b3ULL; };
    const bool plain = std::ranges::none_of(
        name, [](char c) { return static_cast<unsigned char>(c) >= 0x80 || c == '\\'; });
    if (plain) {
        for (const char c : name)
            add(static_cast<char16_t>(c >= 'A' && c <= 'Z' ? c + 32 : c));
        return h;
    }
    for (const QChar c : platform::DecodeHostName(name))
        add(c.toLower().unicode());
    return h;
}

// Of `files`, in their order, those whose folded name's hash another of them shares: a
// superset of the files with a name in common, and on most trees a small part of them.
std::vector<quint32> SharedNameHashes(const FileList& list, const std::vector<quint32>& files) {
    // Each file's hash above its position, sorted by the hash alone in three passes of a
    // radix sort: streams through memory, where a hash table missed the cache at every
    // file. 32 bits of hash let through a few names that share none (about a dozen among
    // 330,000 files); the comparison of names after the sort drops them.
    std::vector<quint64> keys(files.size()), spare(files.size());
    for (size_t i = 0; i < files.size(); ++i)
        keys[i] = (FoldedNameHash(list.hostName(list[files[i]])) & ~quint64{0xFFFFFFFF}) | i;
    constexpr int kDigit = 11;
    for (int shift = 32; shift < 64; shift += kDigit) {
        std::vector<size_t> at(size_t{1} << kDigit, 0);
        const auto digit = [shift](quint64 k) {
            return static_cast<size_t>(k >> shift) & ((size_t{1} << kDigit) - 1);
        };
        for (const quint64 k : keys)
            ++at[digit(k)];
        size_t sum = 0;
        for (size_t& n : at)
            sum += std::exchange(n, sum);
        for (const quint64 k : keys)
            spare[at[digit(k)]++] = k;
        keys.swap(spare);
    }
    std::vector<bool> shared(files.size(), false);
    for (size_t i = 0; i + 1 < keys.size(); ++i)
        if ((keys[i] >> 32) == (keys[i + 1] >> 32))
            shared[keys[i] & 0xFFFFFFFF] = shared[keys[i + 1] & 0xFFFFFFFF] = true;
    std::vector<quint32> kept;
    for (size_t i = 0; i < files.size(); ++i)
        if (shared[i])
            kept.push_back(files[i]);
    return kept;
}

}  // namespace

std::vector<quint32> DuplicatesByName(const FileList& list, const std::vector<quint32>& files) {
    // Only names whose hash repeats are sorted: a name of its own is dropped for the cost
    // of hashing it, where the sort compared it some twenty times.
    const std::vector<NameKey> keyed = KeyedByName(list, SharedNameHashes(list, files));
    // A name is kept when it equals the one before it or the one after it. Two plain
    // prefixes that differ settle a pair without its names: those lie all over memory, and
    // fetching them was most of the cost when few names repeat.
    const auto same = [&list](const NameKey& a, const NameKey& b) {
        if ((a.low & b.low & 1) && (a.high != b.high || a.low != b.low))
            return false;
        return CompareHostNamesNoCase(list.hostName(list[a.record]),
                                      list.hostName(list[b.record])) == 0;
    };
    std::vector<quint32> kept;
    bool likePrevious = false;
    for (size_t i = 0; i < keyed.size(); ++i) {
        const bool likeNext = i + 1 < keyed.size() && same(keyed[i], keyed[i + 1]);
        if (likePrevious || likeNext)
            kept.push_back(keyed[i].record);
        likePrevious = likeNext;
    }
    return kept;
}

// Puts each collected record under its type, creating types in the order first met.
class TypeCollector final : public FileCollector {
public:
    explicit TypeCollector(FileTypeTable& table)
        : FileCollector(table.m_list, QString()), m_table(table) {}

protected:
    void collected(quint32 record, std::string_view hostName, bool counted) override {
        FileTypeStat* type = m_table.m_types[m_table.typeFor(hostName)].get();
        ++type->fileCount;
        if (counted)
            type->totalSize += m_table.m_list[record].size;
    }

private:
    FileTypeTable& m_table;
};

namespace {

// A host type of up to 7 bytes as one word: its bytes, and its length plus one in the top
// byte, so that no type, not even the empty one, packs to 0. A longer one gives its length
// and its first and last bytes under a top byte of 0xFF, which no short type has: equal
// words then still need equal bytes.
quint64 PackedType(std::string_view hostType) {
    if (hostType.size() > 7)
        return quint64{0xFF} << 56 | quint64{hostType.size()} << 16 |
               quint64{static_cast<unsigned char>(hostType.front())} << 8 |
               static_cast<unsigned char>(hostType.back());
    quint64 key = static_cast<quint64>(hostType.size() + 1) << 56;
    for (size_t i = 0; i < hostType.size(); ++i)
        key |= static_cast<quint64>(static_cast<unsigned char>(hostType[i])) << (8 * i);
    return key;
}

}  // namespace

quint32 FileTypeTable::typeFor(std::string_view hostName) {
    // The last dot in the bytes is the last dot of the device name: '.' is never part of
    // a longer sequence, nor of an escaped byte.
    const size_t dot = hostName.rfind('.');
    const std::string_view hostType =
        dot == std::string_view::npos ? std::string_view("/") : hostName.substr(dot + 1);
    // "/" can be no host type: it stands for Generic. Files of one folder share a few
    // types, so those met lately are tried first.
    const quint64 key = PackedType(hostType);
    RecentType& recent = m_recent[(key * 0x9E3779B97F4A7C15ull) >> 56];
    if (recent.key == key && (hostType.size() <= 7 || recent.hostType == hostType))
        return recent.index;
    auto it = m_byHostType.find(hostType);
    if (it == m_byHostType.end()) {
        auto type = std::make_unique<FileTypeStat>();
        type->name = dot == std::string_view::npos ? kGeneric : platform::DecodeHostName(hostType);
        m_index.insert(type->name, type.get());
        it =
            m_byHostType.emplace(std::string(hostType), static_cast<quint32>(m_types.size())).first;
        m_types.push_back(std::move(type));
    }
    recent = {key, it->first, it->second};
    return it->second;
}

std::vector<quint32> FileTypeTable::membersOf(quint32 index) {
    std::call_once(m_membersOnce, [this] {
        m_members.resize(m_types.size());
        for (size_t i = 0; i < m_types.size(); ++i)
            m_members[i].reserve(m_types[i]->fileCount);
        for (quint32 r = 0; r < m_list.size(); ++r)
            m_members[typeFor(m_list.hostName(m_list[r]))].push_back(r);
    });
    return std::move(m_members[index]);
}

const FileTypeStat* FileTypeTable::FindFileType(const QString& name) const {
    return m_index.value(name, nullptr);
}

bool FileTypeTable::AggregateFileTypes(platform::Device& device, const WalkControl& control) {
    TypeCollector collector(*this);
    if (!WalkTree(device, u"", collector, control))
        return false;
    std::vector<FileTypeStat*> types;
    types.reserve(m_types.size());
    for (quint32 i = 0; i < m_types.size(); ++i) {
        types.push_back(m_types[i].get());
        m_types[i]->files.defer([this, i] { return membersOf(i); });
        m_types[i]->DeferOrders(m_list);
    }
    m_byName = OrderByName(types, [](const FileTypeStat* t) { return t->name; });
    m_bySize = OrderBySize(types, [](const FileTypeStat* t) { return t->totalSize; });
    return true;
}

void FileTypeTable::ComputeFileTypeTotals(int numberOfSlices) {
    totalSize = 0;
    for (const auto& t : m_types)
        totalSize += t->totalSize;
    otherSize = OtherTotal(m_bySize, numberOfSlices,
                           [](const FileTypeStat* type) { return type->totalSize; });
}

}  // namespace dovrane::engine
