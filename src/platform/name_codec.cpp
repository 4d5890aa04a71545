#include "platform/name_codec.h"

namespace dovrane::platform {
namespace {

constexpr char16_t kFullwidthBackslash = 0xFF3C;
constexpr char16_t kEscapeBase = 0xDC00;

// Length of the valid UTF-8 sequence starting at s[i], 0 when it is not one.
// Rejects overlong forms, surrogates and code points above U+10FFFF.
int ValidSequenceLength(std::string_view s, size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    int len;
    char32_t min;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

}  // namespace

void AppendDecodedHostName(QString& out, std::string_view bytes) {
    out.reserve(out.size() + static_cast<qsizetype>(bytes.size()));
    size_t i = 0;
    while (i < bytes.size()) {
        char32_t cp = 0;
        const int len = ValidSequenceLength(bytes, i, cp);
        if (len == 0 || cp == kFullwidthBackslash) {
            // Escape byte by byte: an invalid byte, or the host's own U+FF3C.
            const int n = len == 0 ? 1 : len;
            for (int k = 0; k < n; ++k)
                out.append(QChar(
                    static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[i + k]))));
            i += n;
            continue;
        }
        if (cp == '\\') {
            out.append(QChar(kFullwidthBackslash));
        } else if (cp >= 0x10000) {
            out.append(QChar(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10))));
            out.append(QChar(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF))));
        } else {
            out.append(QChar(static_cast<char16_t>(cp)));
        }
        i += len;
    }
}

QString DecodeHostName(std::string_view bytes) {
    QString out;
    AppendDecodedHostName(out, bytes);
    return out;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

std::optional<std::string> EncodeDeviceName(QStringView name) {
    if (name.isEmpty() || name == u"." || name == u"..")
        return std::nullopt;
    std::string out;
    out.reserve(static_cast<size_t>(name.size()));
    const auto put = [&out](char32_t cp) { AppendUtf8(out, cp); };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        if (u == 0 || u == '/')
            return std::nullopt;
        if (u == kFullwidthBackslash) {
            out.push_back('\\');
        } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < name.size() &&
                   name[i + 1].unicode() >= 0xDC00 && name[i + 1].unicode() <= 0xDFFF) {
            put(0x10000 + ((char32_t(u) - 0xD800) << 10) + (name[i + 1].unicode() - 0xDC00));
            ++i;
        } else if (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF) {
            out.push_back(static_cast<char>(u - kEscapeBase));
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            return std::nullopt;
        } else {
            put(u);
        }
    }
    return out;
}

}  // namespace dovrane::platform
