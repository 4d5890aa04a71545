#include "engine/text.h"

#include <cstdio>

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

}  // namespace dovrane::engine
