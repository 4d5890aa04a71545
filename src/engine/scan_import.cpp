#include "engine/scan_import.h"

#include <algorithm>
#include <deque>
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
constexpr quint32 kMaxEntries = 0xFFFFFFFE;  // an ImportDevice's indexes
// Entries a stream reads between two looks at its stop, beside the look at each folder.
constexpr quint32 kStopLook = 4096;

enum Flag : quint8 {
    kFolder = 1,
    kNotRegular = 2,
    kReadError = 4,
    kPseudo = 8,       // excluded: a pseudo file system
    kNotEntered = 16,  // excluded for another reason (another file system, a pattern)
    kReadOnly = 32,
    kExtra = 64,  // more in the device's extras
};

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
// Whoever takes the entries wants no more of them.
struct Stopped {};

// One entry of a scan file with the format's rules applied: what a device keeps of it and
// what a walk of that device is told.
struct ParsedEntry {
    std::string_view name;
    quint8 flags = 0;  // Flag, kExtra aside
    quint64 size = 0;  // a file's bytes; 0 for a folder and an excluded file
    quint64 blocks = 0;
    qint64 mtime = 0;        // seconds
    quint64 inode = 0;       // a hard-linked file's, else 0
    quint32 links = 1;       // as FindData has them: 0 for a later name gdu marked alone
    quint64 volume = 0;      // a folder's own; a file's is its folder's
    bool newVolume = false;  // a folder whose volume is not its parent's (the root's, given)
    bool folder() const { return flags & kFolder; }
};

// The find data and detail of an entry, for a walk of the device and a stream alike.
void Describe(const ParsedEntry& e, platform::FindData& data, platform::EntryDetail* detail) {
    data.attributes = 0;
    if (e.flags & kFolder)
        data.attributes |= platform::kAttributeDirectory;
    else if (!(e.flags & kNotRegular))
        data.attributes |= platform::kAttributeArchive;
    if (e.flags & kReadOnly)
        data.attributes |= platform::kAttributeReadOnly;
    if (e.name.starts_with('.'))
        data.attributes |= platform::kAttributeHidden;
    data.size = e.size;
    data.links = e.links;
    data.id = platform::FileId{e.volume, e.inode};
    if (detail) {
        detail->blocks = e.blocks;
        // Any time the format can hold is kept; those beyond nanoseconds' range are clamped.
        constexpr qint64 kLimit = std::numeric_limits<qint64>::max() / 1'000'000'000LL;
        detail->lastWrite = std::clamp(e.mtime, -kLimit, kLimit) * 1'000'000'000LL;
    }
}

// Why a walk of the device leaves a folder with these flags out; Read when it enters it.
FolderState ExcludedState(quint8 flags) {
    if (flags & kPseudo)
        return FolderState::Pseudo;
    return flags & kNotEntered ? FolderState::Network : FolderState::Read;
}

// Where a parser's entries go: into a device, or told to a walk's sink.
class EntryTarget {
public:
    virtual ~EntryTarget() = default;
    // An entry of the innermost open folder (the root, when none is open); a folder becomes
    // the innermost. False: no more is wanted.
    virtual bool add(const ParsedEntry& entry) = 0;
    // The innermost folder ends.
    virtual void close() = 0;
};

enum class ParseEnd { Done, Failed, Stopped };

}  // namespace

// Reads the format from a byte stream and hands each entry on as it comes: a hand-written
// scanner, one pass, folders kept on an explicit stack. Every rule of the format is here,
// whoever takes the entries.
class ScanParser {
public:
    ScanParser(platform::ScanInput& in, EntryTarget& target) : m_in(in), m_target(target) {
        m_buffer.resize(kReadBytes);
    }

    ParseEnd run() {
        try {
            parseDocument();
        } catch (const Failure& f) {
            m_failure = f;
            return ParseEnd::Failed;
        } catch (const Stopped&) {
            return ParseEnd::Stopped;
        }
        return ParseEnd::Done;
    }
    // After a failure: "FILE:LINE:COLUMN: what is wrong", or the input's own error.
    QString errorText(const QString& fileName) const {
        if (!m_inputError.isEmpty())
            return m_inputError;
        return QStringLiteral("%1:%2:%3: %4")
            .arg(fileName)
            .arg(m_failure.line)
            .arg(m_failure.column)
            .arg(m_failure.what);
    }
    const ScanHeader& header() const { return m_header; }
    quint64 totalBytes() const { return m_totalBytes; }

private:
    struct Open {
        quint64 volume;
        size_t firstChild;  // the folder's entries' names, from here in m_childNames
        size_t nameBytes;   // m_nameBytes' size before them
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
            m_inputError = m_in.error();
            failHere(m_inputError);
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
                (key == "progname" ? m_header.progname : m_header.progver) =
                    QByteArray::fromStdString(text);
            } else if (key == "timestamp") {
                m_header.timestamp = readInteger("timestamp");
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

    // Hands an entry of the innermost open folder (none for the root) on; whether it is a
    // folder.
    bool store(const Info& info, bool folder) {
        if (m_count == kMaxEntries)
            failHere(QStringLiteral("more entries than %1").arg(kMaxEntries));
        ++m_count;
        ParsedEntry e;
        e.name = info.name;
        const bool excluded = !info.excluded.empty();
        // ncdu writes a folder it did not enter as a plain entry marked excluded.
        if (excluded && info.excluded != "pattern")
            folder = true;
        const quint64 parentVolume = m_open.empty() ? 0 : m_open.back().volume;
        const quint64 volume = info.haveDev ? info.dev : parentVolume;
        if (folder) {
            e.flags = kFolder;
            if (info.readError)
                e.flags |= kReadError;
            if (excluded)
                e.flags |= info.excluded == "kernfs" ? kPseudo : kNotEntered;
        } else {
            e.size = excluded ? 0 : info.asize;
            if (info.notreg)
                e.flags |= kNotRegular;
        }
        if (info.haveMode && !(info.mode & 0200))
            e.flags |= kReadOnly;
        e.blocks = info.dsize / 512 + (info.dsize % 512 != 0);
        e.mtime = info.mtime;
        const bool linked = !folder && info.hlnkc && info.ino != 0;
        // gdu marks only the later names of a file, the first one it met going unmarked
        // (and counted); this program writes such a name back without a link count.
        const bool repeat = linked && (m_header.progname == "gdu" ||
                                       (m_header.progname == kScanProgName && !info.haveNlink));
        if (linked) {
            e.inode = info.ino;
            e.links =
                repeat ? 0 : static_cast<quint32>(std::clamp<quint64>(info.nlink, 2, 0xFFFFFFFFu));
        }
        e.volume = folder ? volume : parentVolume;
        e.newVolume = folder && info.haveDev && (m_open.empty() || volume != parentVolume);
        if (!folder && !excluded) {
            // Hard links add their bytes once, as every walk counts them.
            const bool first = !linked || (!repeat && m_links.insert({volume, info.ino}).second);
            if (first) {
                m_totalBytes += e.size;
                if (m_totalBytes >= kMaxSize)
                    failHere(QStringLiteral("the sizes add up to 2^63 bytes or more"));
            }
        }
        if (!m_open.empty()) {
            m_childNames.emplace_back(m_nameBytes.size(), info.name.size());
            m_nameBytes += info.name;
        }
        if (folder && m_open.size() >= kMaxImportDepth)
            failHere(QStringLiteral("folders nested deeper than %1").arg(kMaxImportDepth));
        if (!m_target.add(e))
            throw Stopped{};
        if (folder)
            m_open.push_back({volume, m_childNames.size(), m_nameBytes.size()});
        return folder;
    }

    // Ends the innermost folder: two entries of one name in it are refused.
    void close() {
        const Open open = m_open.back();
        m_open.pop_back();
        const auto nameOf = [this](const std::pair<size_t, size_t>& n) {
            return std::string_view(m_nameBytes).substr(n.first, n.second);
        };
        const auto first = m_childNames.begin() + static_cast<std::ptrdiff_t>(open.firstChild);
        std::sort(first, m_childNames.end(),
                  [&](const auto& a, const auto& b) { return nameOf(a) < nameOf(b); });
        const auto twice = std::adjacent_find(
            first, m_childNames.end(),
            [&](const auto& a, const auto& b) { return nameOf(a) == nameOf(b); });
        if (twice != m_childNames.end())
            fail(m_line, m_column - 1,
                 QStringLiteral("two entries named '%1' in the folder that ends here")
                     .arg(platform::DecodeHostName(nameOf(*twice))));
        m_childNames.erase(first, m_childNames.end());
        m_nameBytes.resize(open.nameBytes);
        m_target.close();
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
        m_header.rootName = QByteArray::fromStdString(info.name);
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
            // An excluded entry written as an object is a folder that is already complete.
            if (store(info, folder) && !folder)
                close();
        }
        expect(']', "']' at the end of the scan");
        if (next() >= 0)
            failHere(QStringLiteral("more after the end of the scan"));
    }

    platform::ScanInput& m_in;
    EntryTarget& m_target;
    ScanHeader m_header;
    quint64 m_totalBytes = 0;
    quint32 m_count = 0;
    Failure m_failure;
    QString m_inputError;
    std::vector<char> m_buffer;
    size_t m_pos = 0, m_end = 0;
    quint64 m_line = 1, m_column = 1;
    std::vector<Open> m_open;
    // The names of the open folders' entries so far, innermost last: (offset, length) in
    // m_nameBytes.
    std::vector<std::pair<size_t, size_t>> m_childNames;
    std::string m_nameBytes;
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
    const Extra* x = extra(i);
    ParsedEntry parsed;
    parsed.name = nameOf(i);
    parsed.flags = flags(i);
    const bool folder = parsed.folder();
    parsed.size = folder ? 0 : e.size;
    parsed.blocks = e.blocks == kNone && x ? x->blocks : e.blocks;
    parsed.mtime = e.mtime == kNone && x ? x->mtime : e.mtime;
    parsed.inode = x ? x->inode : 0;
    parsed.links = x && x->inode ? x->links : 1;
    parsed.volume = folder ? volumeOf(i, volume) : volume;
    Describe(parsed, data, detail);
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
    const FolderState excluded = c == kNone ? FolderState::Read : ExcludedState(flags(c));
    return excluded == FolderState::Read ? FolderState::Unreadable : excluded;
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

// Keeps every entry in an ImportDevice, each linked after the last of its folder's.
class DeviceTarget final : public EntryTarget {
public:
    DeviceTarget(ImportDevice& device, bool rootOnly) : m_dev(device), m_rootOnly(rootOnly) {}

    bool add(const ParsedEntry& p) override {
        constexpr quint32 kNone = ImportDevice::kNone;
        const quint32 i = m_dev.append();
        ImportDevice::Entry& e = m_dev.entry(i);
        e.name = m_dev.m_names.addCounted(p.name);
        e.size = p.folder() ? kNone : p.size;
        const bool bigBlocks = p.blocks >= kNone;
        const bool oddTime = p.mtime < 0 || p.mtime >= qint64(kNone);
        e.blocks = bigBlocks ? kNone : static_cast<quint32>(p.blocks);
        e.mtime = oddTime ? kNone : static_cast<quint32>(p.mtime);
        quint8 flags = p.flags;
        if (p.inode || bigBlocks || oddTime || p.newVolume) {
            flags |= kExtra;
            m_dev.m_extra[i] = {p.blocks, p.mtime, p.inode, p.volume, p.links, p.newVolume};
        }
        m_dev.flags(i) = flags;
        if (!m_open.empty()) {
            Open& parent = m_open.back();
            if (parent.lastChild == kNone)
                m_dev.entry(parent.folder).size = i;
            else
                m_dev.entry(parent.lastChild).next = i;
            parent.lastChild = i;
        }
        if (p.folder())
            m_open.push_back({i, kNone});
        return !m_rootOnly;
    }
    void close() override { m_open.pop_back(); }

    void finish(const ScanHeader& header, quint64 totalBytes) {
        m_dev.m_header = header;
        m_dev.m_totalBytes = totalBytes;
        m_dev.m_rootOnly = m_rootOnly;
    }

private:
    struct Open {
        quint32 folder;
        quint32 lastChild;
    };
    ImportDevice& m_dev;
    bool m_rootOnly;
    std::vector<Open> m_open;
};

namespace {

// Tells a walk's sink what a walk of the device would, in its order: the progress, the
// pace and the stop at each folder, folder states, hard links counted at their first name,
// nothing below a folder the walk would not enter.
class StreamTarget final : public EntryTarget {
public:
    StreamTarget(WalkSink& sink, const WalkControl& control) : m_sink(sink), m_control(control) {}

    bool add(const ParsedEntry& e) override {
        if (++m_sinceLook % kStopLook == 0 && m_control.stopped())
            return false;
        if (m_hidden > 0) {  // below a folder not entered: checked, never told
            m_hidden += e.folder();
            return true;
        }
        platform::FindData data;
        if (m_depth > 0) {
            platform::EntryDetail detail;
            Describe(e, data, &detail);
            if (m_control.details)
                m_sink.entryDetail(detail);
            if (!e.folder()) {
                if (m_control.progress)
                    m_control.progress->files.fetch_add(1, std::memory_order_relaxed);
                m_sink.file(e.name, data, m_links.isFirst(data));
                return true;
            }
        }
        // Kept for the folder's life: the sink may hold on to its name until it is left.
        if (m_depth == m_path.size())
            m_path.emplace_back();
        std::string& name = m_path[m_depth++];
        name.assign(e.name);
        if (m_depth > 1)
            m_sink.enterFolder(name, data);
        if (!Arrive(m_control, [this] { return currentPath(); }))
            return false;
        const FolderState excluded = ExcludedState(e.flags);
        FolderState state = e.flags & kReadError ? FolderState::Unreadable : FolderState::Read;
        if (excluded != FolderState::Read)  // a device opens no excluded root, whatever excluded it
            state = m_depth == 1 ? FolderState::Unreadable : excluded;
        ReportFolderState(state, m_sink, m_control);
        m_hidden = excluded != FolderState::Read;
        return true;
    }

    void close() override {
        if (m_hidden > 1) {
            --m_hidden;
            return;
        }
        m_hidden = 0;
        --m_depth;
        m_sink.leaveFolder();
    }

private:
    QString currentPath() const {
        QString path;  // the root's is empty, as a walk's from "\\"
        for (size_t i = 1; i < m_depth; ++i) {
            path.append(u'\\');
            platform::AppendDecodedHostName(path, m_path[i]);
        }
        return path;
    }

    WalkSink& m_sink;
    const WalkControl& m_control;
    FirstLinks m_links;
    std::deque<std::string> m_path;  // the open folders' names: a deque, so they never move
    size_t m_depth = 0;
    size_t m_hidden = 0;  // folders open at and below one not entered
    quint32 m_sinceLook = 0;
};

QString FileNameOf(const QString& path) {
    return path == u"-" ? QStringLiteral("standard input") : path;
}

}  // namespace

ImportResult ImportScan(platform::ScanInput& in, const QString& fileName, bool rootOnly) {
    auto device = std::make_unique<ImportDevice>();
    DeviceTarget target(*device, rootOnly);
    ScanParser parser(in, target);
    if (parser.run() == ParseEnd::Failed)
        return {nullptr, parser.errorText(fileName)};
    target.finish(parser.header(), parser.totalBytes());
    return {std::move(device), {}};
}

ImportResult ImportScanFile(const QString& path, bool rootOnly) {
    QString error;
    const auto in = platform::ScanInput::open(path, error);
    if (!in)
        return {nullptr, error};
    return ImportScan(*in, FileNameOf(path), rootOnly);
}

bool StreamScanFile(const QString& path, WalkSink& sink, const WalkControl& control, QString* error,
                    ScanHeader* header) {
    error->clear();
    const auto in = platform::ScanInput::open(path, *error);
    if (!in)
        return false;
    StreamTarget target(sink, control);
    ScanParser parser(*in, target);
    const ParseEnd end = parser.run();
    if (header)
        *header = parser.header();
    if (end == ParseEnd::Failed)
        *error = parser.errorText(FileNameOf(path));
    return end == ParseEnd::Done;
}

}  // namespace dovrane::engine
