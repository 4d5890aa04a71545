#include "engine/scan_import.h"

#include <algorithm>
#include <limits>
#include <unordered_set>

#include "engine/walk_replay.h"
#include "platform/device_path.h"
#include "platform/name_codec.h"
#include "platform/scan_file.h"

namespace dovrane::engine {

using platform::FolderState;

namespace {

constexpr size_t kReadBytes = 1 << 20;
constexpr size_t kMaxName = 65535;  // what the name pool keeps
constexpr quint64 kMaxSize = quint64(1) << 63;

class ImportFolder final : public platform::Folder {
public:
    ImportFolder(quint32 i, quint64 v) : index(i), volume(v) {}
    quint32 index;
    quint64 volume;
};

// A parse error: where, and what.
struct Failure {
    quint64 line = 0, column = 0;
    QString what;
};

}  // namespace

// Reads the format from a byte stream into an ImportDevice: a hand-written scanner, one
// pass, folders kept on an explicit stack.
class ScanParser {
public:
    ScanParser(platform::ScanInput& in, ImportDevice& device) : m_in(in), m_dev(device) {
        m_buffer.resize(kReadBytes);
    }

    // Empty on success; else the failure, or an input error in `inputError`.
    std::optional<Failure> run() {
        try {
            parseDocument();
        } catch (const Failure& f) {
            return f;
        }
        return std::nullopt;
    }
    QString inputError;

private:
    struct Open {
        quint32 folder;
        quint32 lastChild;
        quint64 volume;
    };
    struct Info {
        std::string name;
        bool haveName = false;
        quint64 asize = 0, dsize = 0, ino = 0, dev = 0, nlink = 0;
        qint64 mtime = 0;
        bool haveDev = false, haveNlink = false, hlnkc = false, readError = false, notreg = false;
        bool haveMode = false;
        quint64 mode = 0;
        std::string excluded;
    };

    // The members read as they are: whole numbers (with whether one was given) and flags.
    struct Number {
        const char* key;
        quint64 Info::*value;
        bool Info::*given;
    };
    static constexpr Number kNumbers[] = {
        {"asize", &Info::asize, nullptr},
        {"dsize", &Info::dsize, nullptr},
        {"ino", &Info::ino, nullptr},
        {"dev", &Info::dev, &Info::haveDev},
        {"nlink", &Info::nlink, &Info::haveNlink},
        {"mode", &Info::mode, &Info::haveMode},
    };
    struct Flag {
        const char* key;
        bool Info::*value;
    };
    static constexpr Flag kFlags[] = {
        {"hlnkc", &Info::hlnkc}, {"read_error", &Info::readError}, {"notreg", &Info::notreg}};
    template <typename Row, size_t N>
    static const Row* Find(const Row (&rows)[N], const std::string& key) {
        for (const Row& row : rows)
            if (key == row.key)
                return &row;
        return nullptr;
    }

    [[noreturn]] void fail(quint64 line, quint64 column, const QString& what) {
        throw Failure{line, column, what};
    }
    [[noreturn]] void failHere(const QString& what) { fail(m_line, m_column, what); }

    // The next byte without taking it; -1 at the end.
    int peek() {
        if (m_pos == m_end && !refill())
            return -1;
        return static_cast<unsigned char>(m_buffer[m_pos]);
    }
    bool refill() {
        const qint64 n = m_in.read(m_buffer.data(), m_buffer.size());
        if (n < 0) {
            inputError = m_in.error();
            failHere(inputError);
        }
        m_pos = 0;
        m_end = static_cast<size_t>(n);
        return n > 0;
    }
    void take() {
        if (m_buffer[m_pos++] == '\n') {
            ++m_line;
            m_column = 1;
        } else {
            ++m_column;
        }
    }
    int next() {
        for (;;) {
            const int c = peek();
            if (c != ' ' && c != '\n' && c != '\t' && c != '\r')
                return c;
            take();
        }
    }
    QString describe(int c) {
        if (c < 0)
            return QStringLiteral("the file ends");
        if (c >= 0x20 && c < 0x7F)
            return QStringLiteral("'%1'").arg(QChar(c));
        return QStringLiteral("byte 0x%1").arg(c, 2, 16, QChar(u'0'));
    }
    void expect(char wanted, const char* what) {
        const int c = next();
        if (c != wanted)
            failHere(
                QStringLiteral("expected %1, found %2").arg(QLatin1StringView(what), describe(c)));
        take();
    }

    // A JSON string into `out` (nothing kept when null), at most `limit` bytes.
    void readString(std::string* out, size_t limit, const char* what) {
        const quint64 line = m_line, column = m_column;
        expect('"', what);
        for (;;) {
            if (m_pos == m_end && !refill())
                failHere(QStringLiteral("the file ends inside a string"));
            // A run of plain bytes in one copy.
            size_t run = m_pos;
            while (run < m_end) {
                const auto c = static_cast<unsigned char>(m_buffer[run]);
                if (c == '"' || c == '\\' || c < 0x20)
                    break;
                ++run;
            }
            if (out) {
                if (out->size() + (run - m_pos) > limit)
                    fail(line, column,
                         QStringLiteral("%1 longer than %2 bytes")
                             .arg(QLatin1StringView(what))
                             .arg(limit));
                out->append(m_buffer.data() + m_pos, run - m_pos);
            }
            m_column += run - m_pos;
            m_pos = run;
            if (m_pos == m_end)
                continue;
            const int c = static_cast<unsigned char>(m_buffer[m_pos]);
            if (c == '"') {
                take();
                return;
            }
            if (c != '\\')
                failHere(QStringLiteral("control character 0x%1 inside a string")
                             .arg(c, 2, 16, QChar(u'0')));
            take();
            appendEscape(out);
            if (out && out->size() > limit)
                fail(line, column,
                     QStringLiteral("%1 longer than %2 bytes")
                         .arg(QLatin1StringView(what))
                         .arg(limit));
        }
    }
    unsigned hex4() {
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const int c = peek();
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0)
                failHere(QStringLiteral("expected a hexadecimal digit, found %1").arg(describe(c)));
            take();
            value = value * 16 + static_cast<unsigned>(digit);
        }
        return value;
    }
    void appendEscape(std::string* out) {
        const int c = peek();
        if (c < 0)
            failHere(QStringLiteral("the file ends inside a string"));
        take();
        char plain = 0;
        switch (c) {
            case '"':
            case '\\':
            case '/':
                plain = static_cast<char>(c);
                break;
            case 'b':
                plain = '\b';
                break;
            case 'f':
                plain = '\f';
                break;
            case 'n':
                plain = '\n';
                break;
            case 'r':
                plain = '\r';
                break;
            case 't':
                plain = '\t';
                break;
            case 'u': {
                unsigned code = hex4();
                if (code >= 0xD800 && code <= 0xDBFF && peek() == '\\') {
                    take();
                    if (peek() != 'u')
                        failHere(QStringLiteral("expected the second half of a surrogate pair"));
                    take();
                    const unsigned low = hex4();
                    if (low < 0xDC00 || low > 0xDFFF)
                        failHere(QStringLiteral("expected the second half of a surrogate pair"));
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                } else if (code >= 0xD800 && code <= 0xDFFF) {
                    failHere(QStringLiteral("half a surrogate pair"));
                }
                if (out)
                    platform::AppendUtf8(*out, code);
                return;
            }
            default:
                failHere(QStringLiteral("unknown escape \\%1").arg(describe(c)));
        }
        if (out)
            out->push_back(plain);
    }
    // A whole number, with its sign; fractions and exponents are refused, as are values
    // beyond 2^63.
    qint64 readInteger(const char* what) {
        const quint64 line = m_line, column = m_column;
        next();
        bool negative = false;
        if (peek() == '-') {
            negative = true;
            take();
        }
        int c = peek();
        if (c < '0' || c > '9')
            failHere(QStringLiteral("expected a number for %1, found %2")
                         .arg(QLatin1StringView(what), describe(c)));
        quint64 value = 0;
        bool tooBig = false;
        while (c >= '0' && c <= '9') {
            const auto digit = static_cast<quint64>(c - '0');
            if (value > (kMaxSize - digit) / 10)
                tooBig = true;
            else
                value = value * 10 + digit;
            take();
            c = peek();
        }
        if (c == '.' || c == 'e' || c == 'E')
            fail(line, column,
                 QStringLiteral("%1 is not a whole number").arg(QLatin1StringView(what)));
        if (tooBig || value == kMaxSize)
            fail(line, column, QStringLiteral("%1 is 2^63 or more").arg(QLatin1StringView(what)));
        return negative ? -static_cast<qint64>(value) : static_cast<qint64>(value);
    }
    quint64 readUnsigned(const char* what) {
        const quint64 line = m_line, column = m_column + 0;
        const qint64 v = readInteger(what);
        if (v < 0)
            fail(line, column, QStringLiteral("%1 is negative").arg(QLatin1StringView(what)));
        return static_cast<quint64>(v);
    }
    bool readBool(const char* what) {
        const int c = next();
        const char* word = c == 't' ? "true" : c == 'f' ? "false" : nullptr;
        if (!word)
            failHere(QStringLiteral("expected true or false for %1, found %2")
                         .arg(QLatin1StringView(what), describe(c)));
        for (const char* p = word; *p; ++p) {
            if (peek() != *p)
                failHere(QStringLiteral("expected %1").arg(QLatin1StringView(word)));
            take();
        }
        return c == 't';
    }
    void parseMetadata() {
        expect('{', "the metadata object");
        if (next() == '}') {
            take();
            return;
        }
        for (;;) {
            std::string key;
            readString(&key, 256, "key");
            expect(':', "':'");
            if (key == "progname" || key == "progver") {
                std::string text;
                readString(&text, 4096, key.c_str());
                (key == "progname" ? m_dev.m_header.progname : m_dev.m_header.progver) =
                    QByteArray::fromStdString(text);
            } else if (key == "timestamp") {
                m_dev.m_header.timestamp = readInteger("timestamp");
            } else {
                skipAny();
            }
            const int c = next();
            take();
            if (c == '}')
                return;
            if (c != ',')
                failHere(QStringLiteral("expected ',' or '}', found %1").arg(describe(c)));
        }
    }
    // The value of a member nobody reads: its brackets are counted, not recursed into, and
    // its scalars pass unchecked.
    void skipAny() {
        // Objects and arrays alike are skipped by counting their brackets.
        size_t depth = 0;
        bool inString = false, escaped = false;
        do {
            const int c = inString ? peek() : next();
            if (c < 0)
                failHere(QStringLiteral("the file ends inside a value"));
            if (inString) {
                if (escaped)
                    escaped = false;
                else if (c == '\\')
                    escaped = true;
                else if (c == '"')
                    inString = false;
                else if (c < 0x20)
                    failHere(QStringLiteral("control character 0x%1 inside a string")
                                 .arg(c, 2, 16, QChar(u'0')));
                take();
                continue;
            }
            if (depth == 0 && (c == ',' || c == '}' || c == ']'))
                return;  // a scalar that has ended
            take();
            if (c == '"') {
                inString = true;
            } else if (c == '[' || c == '{') {
                if (++depth > kMaxImportDepth)
                    failHere(QStringLiteral("values nested deeper than %1").arg(kMaxImportDepth));
            } else if (c == ']' || c == '}') {
                --depth;
                if (depth == 0)
                    return;
            }
        } while (true);
    }

    // One entry's object; the position of its name for errors.
    void parseInfo(Info& info, quint64& nameLine, quint64& nameColumn) {
        info = Info{};
        expect('{', "an entry's object '{'");
        if (next() == '}')
            failHere(QStringLiteral("an entry without a name"));
        for (;;) {
            std::string& key = m_key;
            key.clear();
            readString(&key, 256, "key");
            expect(':', "':'");
            if (key == "name") {
                next();
                nameLine = m_line;
                nameColumn = m_column;
                info.name.clear();
                readString(&info.name, kMaxName, "name");
                info.haveName = true;
            } else if (key == "mtime") {
                info.mtime = readInteger("mtime");
            } else if (const Number* n = Find(kNumbers, key)) {
                info.*n->value = readUnsigned(n->key);
                if (n->given)
                    info.*n->given = true;
            } else if (const Flag* f = Find(kFlags, key)) {
                info.*f->value = readBool(f->key);
            } else if (key == "excluded") {
                info.excluded.clear();
                readString(&info.excluded, 256, "excluded");
            } else {
                skipAny();
            }
            const int c = next();
            if (c < 0)
                failHere(QStringLiteral("the file ends inside an entry"));
            take();
            if (c == '}')
                break;
            if (c != ',')
                failHere(QStringLiteral("expected ',' or '}', found %1").arg(describe(c)));
        }
        if (!info.haveName)
            failHere(QStringLiteral("an entry without a name"));
    }

    // Checks an entry's name: a name a folder can hold on the host.
    void checkName(const std::string& name, bool root, quint64 line, quint64 column) {
        if (name.find('\0') != std::string::npos)
            fail(line, column, QStringLiteral("NUL byte in a name"));
        if (root) {
            if (name.empty())
                fail(line, column, QStringLiteral("the scanned folder has no name"));
            return;
        }
        if (name.empty())
            fail(line, column, QStringLiteral("empty name"));
        if (name.find('/') != std::string::npos)
            fail(line, column, QStringLiteral("'/' in a name"));
        if (name == "." || name == "..")
            fail(line, column, QStringLiteral("'%1' as a name").arg(QString::fromStdString(name)));
    }

    // Stores an entry under the innermost open folder (none for the root).
    quint32 store(const Info& info, bool folder) {
        const quint32 i = m_dev.append();
        if (i == ImportDevice::kNone)
            failHere(QStringLiteral("more entries than %1").arg(ImportDevice::kNone - 1));
        ImportDevice::Entry& e = m_dev.entry(i);
        e.name = m_dev.m_names->addCounted(info.name);
        quint8 flags = 0;
        const bool excluded = !info.excluded.empty();
        // ncdu writes a folder it did not enter as a plain entry marked excluded.
        if (excluded && info.excluded != "pattern")
            folder = true;
        const quint64 parentVolume = m_open.empty() ? 0 : m_open.back().volume;
        const quint64 volume = info.haveDev ? info.dev : parentVolume;
        if (folder) {
            flags |= ImportDevice::kFolder;
            e.size = ImportDevice::kNone;
            if (info.readError)
                flags |= ImportDevice::kReadError;
            if (excluded)
                flags |=
                    info.excluded == "kernfs" ? ImportDevice::kPseudo : ImportDevice::kNotEntered;
        } else {
            e.size = excluded ? 0 : info.asize;
            if (info.notreg)
                flags |= ImportDevice::kNotRegular;
        }
        if (info.haveMode && !(info.mode & 0200))
            flags |= ImportDevice::kReadOnly;
        const quint64 blocks = info.dsize / 512 + (info.dsize % 512 != 0);
        const bool linked = !folder && info.hlnkc && info.ino != 0;
        // gdu marks only the later names of a file, the first one it met going unmarked
        // (and counted); this program writes such a name back without a link count.
        const bool repeat =
            linked && (m_dev.m_header.progname == "gdu" ||
                       (m_dev.m_header.progname == kScanProgName && !info.haveNlink));
        const bool bigBlocks = blocks >= ImportDevice::kNone;
        const bool oddTime = info.mtime < 0 || info.mtime >= qint64(ImportDevice::kNone);
        const bool newVolume = folder && info.haveDev && (m_open.empty() || volume != parentVolume);
        e.blocks = bigBlocks ? ImportDevice::kNone : static_cast<quint32>(blocks);
        e.mtime = oddTime ? ImportDevice::kNone : static_cast<quint32>(info.mtime);
        if (linked || bigBlocks || oddTime || newVolume) {
            flags |= ImportDevice::kExtra;
            ImportDevice::Extra& x = m_dev.m_extra[i];
            x.blocks = blocks;
            x.mtime = info.mtime;
            if (linked) {
                x.inode = info.ino;
                x.links =
                    repeat ? 0
                           : static_cast<quint32>(std::clamp<quint64>(info.nlink, 2, 0xFFFFFFFFu));
            }
            x.volume = volume;
            x.hasVolume = newVolume;
        }
        m_dev.flags(i) = flags;
        if (!folder && !excluded) {
            // Hard links add their bytes once, as every walk counts them.
            const bool first = !linked || (!repeat && m_links.insert({volume, info.ino}).second);
            if (first) {
                m_dev.m_totalBytes += e.size;
                if (m_dev.m_totalBytes >= kMaxSize)
                    failHere(QStringLiteral("the sizes add up to 2^63 bytes or more"));
            }
        }
        if (!m_open.empty()) {
            Open& parent = m_open.back();
            if (parent.lastChild == ImportDevice::kNone)
                m_dev.entry(parent.folder).size = i;
            else
                m_dev.entry(parent.lastChild).next = i;
            parent.lastChild = i;
        }
        if (folder) {
            if (m_open.size() >= kMaxImportDepth)
                failHere(QStringLiteral("folders nested deeper than %1").arg(kMaxImportDepth));
            m_open.push_back({i, ImportDevice::kNone, volume});
        }
        return i;
    }

    // Ends the innermost folder: two entries of one name in it are refused.
    void close() {
        const Open open = m_open.back();
        m_open.pop_back();
        m_children.clear();
        for (quint32 c = static_cast<quint32>(m_dev.entry(open.folder).size);
             c != ImportDevice::kNone; c = m_dev.entry(c).next)
            m_children.push_back(c);
        if (m_children.size() < 2)
            return;
        std::sort(m_children.begin(), m_children.end(),
                  [this](quint32 a, quint32 b) { return m_dev.nameOf(a) < m_dev.nameOf(b); });
        for (size_t k = 1; k < m_children.size(); ++k)
            if (m_dev.nameOf(m_children[k]) == m_dev.nameOf(m_children[k - 1]))
                fail(m_line, m_column - 1,
                     QStringLiteral("two entries named '%1' in the folder that ends here")
                         .arg(platform::DecodeHostName(m_dev.nameOf(m_children[k]))));
    }

    void parseDocument() {
        expect('[', "'[' at the start of a scan");
        const quint64 line = m_line, column = m_column;
        const qint64 major = readInteger("the major version");
        if (major != 1)
            fail(line, column,
                 QStringLiteral("major version %1: only version 1 can be read").arg(major));
        expect(',', "','");
        const quint64 minorLine = m_line, minorColumn = m_column;
        const qint64 minor = readInteger("the minor version");
        if (minor < 0 || minor > 10000)
            fail(minorLine, minorColumn,
                 QStringLiteral("minor version %1 out of range").arg(minor));
        expect(',', "','");
        parseMetadata();
        expect(',', "','");
        Info info;
        quint64 nameLine = 0, nameColumn = 0;
        expect('[', "'[' of the scanned folder");
        parseInfo(info, nameLine, nameColumn);
        checkName(info.name, true, nameLine, nameColumn);
        m_dev.m_header.rootName = QByteArray::fromStdString(info.name);
        store(info, true);
        while (!m_open.empty()) {
            const int c = next();
            if (c == ']') {
                take();
                close();
                continue;
            }
            if (c != ',')
                failHere(QStringLiteral("expected ',' or ']', found %1").arg(describe(c)));
            take();
            const int kind = next();
            bool folder = false;
            if (kind == '[') {
                take();
                folder = true;
            } else if (kind != '{') {
                failHere(QStringLiteral("expected a folder '[' or an entry '{', found %1")
                             .arg(describe(kind)));
            }
            parseInfo(info, nameLine, nameColumn);
            checkName(info.name, false, nameLine, nameColumn);
            const bool wasFolder = folder;
            const quint32 i = store(info, folder);
            // An excluded entry written as an object is a folder that is already complete.
            if (!wasFolder && (m_dev.flags(i) & ImportDevice::kFolder))
                m_open.pop_back();
        }
        expect(']', "']' at the end of the scan");
        if (next() >= 0)
            failHere(QStringLiteral("more after the end of the scan"));
    }

    platform::ScanInput& m_in;
    ImportDevice& m_dev;
    std::vector<char> m_buffer;
    size_t m_pos = 0, m_end = 0;
    quint64 m_line = 1, m_column = 1;
    std::vector<Open> m_open;
    std::vector<quint32> m_children;
    std::string m_key;
    struct PairHash {
        size_t operator()(const std::pair<quint64, quint64>& p) const {
            return std::hash<quint64>()(p.second * 0x9E3779B97F4A7C15ull ^ p.first);
        }
    };
    std::unordered_set<std::pair<quint64, quint64>, PairHash> m_links;
};

ImportDevice::ImportDevice() = default;
ImportDevice::~ImportDevice() = default;

quint32 ImportDevice::append() {
    if (m_count == kNone - 1)
        return kNone;
    if ((m_count & (kChunk - 1)) == 0) {
        m_entries.push_back(std::make_unique<Entry[]>(kChunk));
        m_flags.push_back(std::make_unique<quint8[]>(kChunk));
    }
    return m_count++;
}

const ImportDevice::Extra* ImportDevice::extra(quint32 i) const {
    if (!(flags(i) & kExtra))
        return nullptr;
    const auto it = m_extra.find(i);
    return it == m_extra.end() ? nullptr : &it->second;
}

quint64 ImportDevice::volumeOf(quint32 folder, quint64 parentVolume) const {
    const Extra* x = extra(folder);
    return x && x->hasVolume ? x->volume : parentVolume;
}

quint32 ImportDevice::childNamed(quint32 folder, std::string_view hostName) const {
    if (!(flags(folder) & kFolder))
        return kNone;
    for (auto c = static_cast<quint32>(entry(folder).size); c != kNone; c = entry(c).next)
        if (nameOf(c) == hostName)
            return c;
    return kNone;
}

void ImportDevice::describe(quint32 i, quint64 volume, platform::FindData& data,
                            platform::EntryDetail* detail) const {
    const Entry& e = entry(i);
    const quint8 f = flags(i);
    const Extra* x = extra(i);
    const std::string_view name = nameOf(i);
    data.attributes = 0;
    if (f & kFolder)
        data.attributes |= platform::kAttributeDirectory;
    else if (!(f & kNotRegular))
        data.attributes |= platform::kAttributeArchive;
    if (f & kReadOnly)
        data.attributes |= platform::kAttributeReadOnly;
    if (name.starts_with('.'))
        data.attributes |= platform::kAttributeHidden;
    data.size = (f & kFolder) ? 0 : e.size;
    data.links = x && x->inode ? x->links : 1;
    data.id = platform::FileId{(f & kFolder) ? volumeOf(i, volume) : volume, x ? x->inode : 0};
    if (detail) {
        detail->blocks = e.blocks == kNone && x ? x->blocks : e.blocks;
        const qint64 seconds = e.mtime == kNone && x ? x->mtime : e.mtime;
        // Any time the format can hold is kept; those beyond nanoseconds' range are clamped.
        constexpr qint64 kLimit = std::numeric_limits<qint64>::max() / 1'000'000'000LL;
        detail->lastWrite = std::clamp(seconds, -kLimit, kLimit) * 1'000'000'000LL;
    }
}

quint32 ImportDevice::find(QStringView devicePath, quint64& volume, quint64& parentVolume) const {
    if (m_count == 0)
        return kNone;
    quint32 at = 0;
    volume = parentVolume = volumeOf(0, 0);
    for (const QString& part : platform::SplitDevicePath(devicePath)) {
        const auto name = platform::EncodeDeviceName(part);
        at = name ? childNamed(at, *name) : kNone;
        if (at == kNone)
            return kNone;
        parentVolume = volume;
        if (flags(at) & kFolder)
            volume = volumeOf(at, volume);
    }
    return at;
}

std::unique_ptr<platform::Folder> ImportDevice::openFolder(QStringView devicePath) {
    quint64 volume = 0, parentVolume = 0;
    const quint32 at = find(devicePath, volume, parentVolume);
    if (at == kNone || !(flags(at) & kFolder) || (flags(at) & (kPseudo | kNotEntered)))
        return nullptr;
    return std::make_unique<ImportFolder>(at, volume);
}

std::unique_ptr<platform::Folder> ImportDevice::openChild(platform::Folder& parent,
                                                          std::string_view hostName) {
    const auto& p = static_cast<ImportFolder&>(parent);
    const quint32 c = childNamed(p.index, hostName);
    if (c == kNone || !(flags(c) & kFolder) || (flags(c) & (kPseudo | kNotEntered)))
        return nullptr;
    return std::make_unique<ImportFolder>(c, volumeOf(c, p.volume));
}

FolderState ImportDevice::whyNotOpened(platform::Folder& parent, std::string_view hostName) {
    const quint32 c = childNamed(static_cast<ImportFolder&>(parent).index, hostName);
    if (c != kNone && (flags(c) & kPseudo))
        return FolderState::Pseudo;
    if (c != kNone && (flags(c) & kNotEntered))
        return FolderState::Network;
    return FolderState::Unreadable;
}

void ImportDevice::read(platform::Folder& folder, platform::Listing& out,
                        platform::ReadDetail detail) {
    const auto& f = static_cast<ImportFolder&>(folder);
    const bool details = detail == platform::ReadDetail::Export;
    for (auto c = static_cast<quint32>(entry(f.index).size); c != kNone; c = entry(c).next) {
        platform::FindData& data = out.add(nameOf(c));
        const quint32 offset = data.nameOffset, length = data.nameLength;
        platform::EntryDetail d;
        describe(c, f.volume, data, details ? &d : nullptr);
        data.nameOffset = offset;
        data.nameLength = length;
        if (details)
            out.details.push_back(d);
    }
    if (flags(f.index) & kReadError)
        out.state = FolderState::Unreadable;
}

bool ImportDevice::visit(NameVisitor& visitor, const WalkControl& control) const {
    if (m_count == 0)
        return true;
    FirstLinks links;
    struct Frame {
        quint32 next;  // the next entry to tell; kNone: the folder ends
        quint64 volume;
    };
    std::vector<Frame> open;
    const auto enter = [&](quint32 folder, quint64 volume) {
        const bool entered = !(flags(folder) & (kPseudo | kNotEntered));
        open.push_back({entered ? static_cast<quint32>(entry(folder).size) : kNone, volume});
    };
    enter(0, volumeOf(0, 0));
    while (!open.empty()) {
        const quint32 c = open.back().next;
        const quint64 volume = open.back().volume;
        if (c == kNone) {
            open.pop_back();
            visitor.leave();
            continue;
        }
        open.back().next = entry(c).next;
        if (flags(c) & kFolder) {
            if (control.stopped())
                return false;
            visitor.folder(entry(c).name);
            enter(c, volumeOf(c, volume));
        } else {
            platform::FindData data;
            describe(c, volume, data, nullptr);
            visitor.file(entry(c).name, links.isFirst(data) ? data.size : 0);
        }
    }
    return true;
}

std::optional<platform::DiskSpace> ImportDevice::diskFreeSpace(QStringView) {
    return platform::DiskSpace{m_totalBytes, 0};
}

std::optional<platform::FileDetails> ImportDevice::findFile(QStringView devicePath) {
    quint64 volume = 0, parentVolume = 0;
    const quint32 at = find(devicePath, volume, parentVolume);
    if (at == kNone)
        return std::nullopt;
    platform::FileDetails details;
    platform::EntryDetail d;
    describe(at, at == 0 ? 0 : parentVolume, details, &d);
    details.lastWriteTime = d.lastWrite;
    return details;
}

ImportResult ImportScan(platform::ScanInput& in, const QString& fileName) {
    auto device = std::make_unique<ImportDevice>();
    ScanParser parser(in, *device);
    if (const auto failure = parser.run()) {
        if (!parser.inputError.isEmpty())
            return {nullptr, parser.inputError};
        return {nullptr, QStringLiteral("%1:%2:%3: %4")
                             .arg(fileName)
                             .arg(failure->line)
                             .arg(failure->column)
                             .arg(failure->what)};
    }
    return {std::move(device), {}};
}

ImportResult ImportScanFile(const QString& path) {
    QString error;
    const auto in = platform::ScanInput::open(path, error);
    if (!in)
        return {nullptr, error};
    return ImportScan(*in, path == u"-" ? QStringLiteral("standard input") : path);
}

}  // namespace dovrane::engine
