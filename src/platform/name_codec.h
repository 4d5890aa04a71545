#pragma once
// Exact, reversible mapping between host names (bytes) and device names (UTF-16).
//
// Valid UTF-8 decodes as usual, except that a '\' byte becomes U+FF3C (the device's
// path separator cannot appear inside a name) and the bytes of a host U+FF3C are
// escaped like invalid bytes, so the two never collide. Every byte that is not part
// of valid UTF-8 becomes the lone surrogate U+DC00 + byte. Encoding reverses each step,
// so decode(encode(x)) == x and encode(decode(b)) == b for every host name b.

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace dovrane::platform {

QString DecodeHostName(std::string_view bytes);
void AppendDecodedHostName(QString& out, std::string_view bytes);

// Appends the UTF-8 bytes of the code point `code` (at most U+10FFFF, no surrogate).
void AppendUtf8(std::string& out, char32_t code);

// Empty optional when the name cannot exist on the host: empty, ".", "..", a '/' or NUL,
// or a lone surrogate that decoding never produces.
std::optional<std::string> EncodeDeviceName(QStringView name);

}  // namespace dovrane::platform
