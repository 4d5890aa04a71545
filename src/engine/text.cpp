#include "engine/text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "platform/name_codec.h"

namespace dovrane::engine {
namespace {

// "%.1f": printf's rounding, as every list has shown it.
QString OneDecimal(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    return QString::fromLatin1(buffer);
}

}  // namespace

QString SizeText(quint64 bytes) {
    char text[kSizeTextRoom];
    return QString::fromLatin1(text, static_cast<qsizetype>(SizeText(bytes, text)));
}

size_t SizeText(quint64 bytes, char (&out)[kSizeTextRoom]) {
    if (bytes < 1024) {
        const auto end = std::to_chars(out, out + kSizeTextRoom, bytes).ptr;
        std::memcpy(end, "  B", 3);
        return static_cast<size_t>(end + 3 - out);
    }
    struct Unit {
        quint64 below, divisor;
        const char* name;
    };
    static constexpr Unit kUnits[] = {{1024000ull, 1024, " KB"},
                                      {1024000000ull, 1024000, " MB"},
                                      {1024000000000ull, 1024000000, " GB"},
                                      {0, 1024000000000ull, " TB"}};  // the last, without end
    const Unit* unit = kUnits;
    while (unit + 1 != std::end(kUnits) && bytes >= unit->below)
        ++unit;
    const auto printed = [&] {
        const int n = std::snprintf(out, kSizeTextRoom, "%.1f%s",
                                    static_cast<double>(bytes) / static_cast<double>(unit->divisor),
                                    unit->name);
        return static_cast<size_t>(n);
    };
    // printf's rounding to tenths in whole numbers. The quotient it rounds is exact in KB;
    // in the larger units it is the double nearest, which lies on the same side of a
    // half-tenth as the true one unless the true one is that half-tenth itself, or the count
    // is too large for its double to be exact: there printf decides.
    if (bytes >= (1ull << 50))
        return printed();
    quint64 tenths = bytes * 10 / unit->divisor;
    const quint64 rest = bytes * 10 % unit->divisor, half = unit->divisor / 2;
    if (rest == half && unit->divisor != 1024)
        return printed();
    if (rest > half || (rest == half && tenths % 2 == 1))
        ++tenths;
    char* end = std::to_chars(out, out + kSizeTextRoom, tenths / 10).ptr;
    *end++ = '.';
    *end++ = static_cast<char>('0' + tenths % 10);
    std::memcpy(end, unit->name, 3);
    return static_cast<size_t>(end + 3 - out);
}

QString ShareText(quint64 part, quint64 total) {
    if (total == 0)
        return QStringLiteral("0.0");
    return OneDecimal(static_cast<double>(part) * 100 / static_cast<double>(total));
}

QString SpacePath(QStringView path) {
    QString out;
    out.reserve(path.size() + path.count(u'\\'));
    for (const QChar c : path) {
        if (c == u'\\')
            out.append(u' ');
        out.append(c);
    }
    return out;
}

QString FoldCase(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (const QChar c : text)
        *d++ = c.toLower();
    return out;
}

int CompareNoCase(QStringView a, QStringView b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = a[i].toLower().unicode(), y = b[i].toLower().unicode();
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareHostNamesNoCase(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    for (; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        // Past ASCII, and at '\\' (a device U+FF3C), the bytes no longer map one to one.
        if (x >= 0x80 || y >= 0x80 || x == '\\' || y == '\\')
            break;
        const char16_t lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
        const char16_t ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
        if (lx != ly)
            return lx < ly ? -1 : 1;
    }
    if (i == n)
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    // The ASCII prefix compared equal unit for unit; the rest decides.
    return CompareNoCase(platform::DecodeHostName(a.substr(i)),
                         platform::DecodeHostName(b.substr(i)));
}

}  // namespace dovrane::engine
