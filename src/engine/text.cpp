#include "engine/text.h"

#include <cstdio>

#include "platform/name_codec.h"

namespace dovrane::engine {
namespace {

// "%.1f" of the value followed by a unit: printf's rounding, as every list has shown it.
QString OneDecimal(double value, const char* unit = "") {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.1f%s", value, unit);
    return QString::fromLatin1(buffer);
}

}  // namespace

QString SizeText(quint64 bytes) {
    if (bytes < 1024)
        return QString::number(bytes) + QStringLiteral("  B");
    const double n = static_cast<double>(bytes);
    if (bytes < 1024000ull)
        return OneDecimal(n / 1024, " KB");
    if (bytes < 1024000000ull)
        return OneDecimal(n / 1024000, " MB");
    if (bytes < 1024000000000ull)
        return OneDecimal(n / 1024000000.0, " GB");
    return OneDecimal(n / 1024000000000.0, " TB");
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
