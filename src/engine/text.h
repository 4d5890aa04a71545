#pragma once
// The texts every list, share and header shares.

#include <QString>
#include <QtGlobal>
#include <string_view>

namespace dovrane::engine {

// "%d  B" below 1024, then "%.1f KB" (/1024), "%.1f MB" (/1,024,000), "%.1f GB"
// (/1,024,000,000) and "%.1f TB" (/1,024,000,000,000), each from its own divisor on.
QString SizeText(quint64 bytes);
// The same characters, all ASCII, written to `out` without a string made; returns their
// count. A listing of millions of files writes one for every row.
constexpr size_t kSizeTextRoom = 32;
size_t SizeText(quint64 bytes, char (&out)[kSizeTextRoom]);

// "%.1f" of part * 100 / total; "0.0" when total is 0.
QString ShareText(quint64 part, quint64 total);

// One blank in front of every backslash, so word wrap can break a path there.
QString SpacePath(QStringView path);

// Each UTF-16 unit to lower case: the folding of the name orders and of path look-ups.
QString FoldCase(QStringView text);

// Name order without regard to case: <0, 0, >0 as a is below, equal to, above b.
int CompareNoCase(QStringView a, QStringView b);

// CompareNoCase of two host names as their device names, without building strings in
// the common case of plain ASCII: sorting a million file names allocates nothing.
int CompareHostNamesNoCase(std::string_view a, std::string_view b);

}  // namespace dovrane::engine
