#include "platform/png_file.h"

#include <zlib.h>

#include <QFile>
#include <array>
#include <system_error>
#include <thread>
#include <vector>

namespace dovrane::platform {
namespace {

// Below this many bytes of rows one thread deflates the whole picture: a thread costs
// more than it saves.
constexpr qsizetype kSplitFrom = 1 << 18;

void AppendBigEndian(QByteArray& out, quint32 value) {
    const std::array<char, 4> bytes{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                                    static_cast<char>(value >> 8), static_cast<char>(value)};
    out.append(bytes.data(), 4);
}

void AppendChunk(QByteArray& out, const char (&type)[5], const QByteArray& data) {
    AppendBigEndian(out, static_cast<quint32>(data.size()));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data);
    const auto* typed = reinterpret_cast<const Bytef*>(out.constData() + start);
    AppendBigEndian(out, static_cast<quint32>(crc32(0, typed, static_cast<uInt>(4 + data.size()))));
}

// Rows [first, last) of `image`, each after its filter byte (none: a chart's flat areas
// pack as well unfiltered, and choosing a filter per row was most of Qt's writer's time),
// as raw deflate data that ends on a byte boundary, so that the parts of a picture can be
// put one after the other; the last part ends the stream. Also the rows' Adler-32.
struct Part {
    std::vector<Bytef> data;
    uLong adler = adler32(0, nullptr, 0);
    uLong length = 0;
    bool ok = false;
};

Part DeflateRows(const QImage& image, int first, int last, bool ends) {
    Part part;
    z_stream z{};
    if (deflateInit2(&z, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return part;
    const auto width = static_cast<uInt>(image.width() * (image.hasAlphaChannel() ? 4 : 3));
    part.data.resize(deflateBound(&z, static_cast<uLong>(last - first) * (width + 1)) + 16);
    z.next_out = part.data.data();
    z.avail_out = static_cast<uInt>(part.data.size());
    Bytef none = 0;
    bool ok = true;
    for (int y = first; y < last && ok; ++y) {
        z.next_in = &none;
        z.avail_in = 1;
        ok = deflate(&z, Z_NO_FLUSH) == Z_OK;
        z.next_in = const_cast<Bytef*>(image.constScanLine(y));
        z.avail_in = width;
        ok = ok && deflate(&z, Z_NO_FLUSH) == Z_OK;
        part.adler = adler32(part.adler, &none, 1);
        part.adler = adler32(part.adler, image.constScanLine(y), width);
        part.length += width + 1;
    }
    const int end = ends ? Z_FINISH : Z_SYNC_FLUSH;
    const int done = ok ? deflate(&z, end) : Z_STREAM_ERROR;
    part.ok = ends ? done == Z_STREAM_END : done == Z_OK;
    part.data.resize(part.data.size() - z.avail_out);
    deflateEnd(&z);
    return part;
}

}  // namespace

QByteArray EncodePng(const QImage& image) {
    if (image.isNull())
        return {};
    const bool alpha = image.hasAlphaChannel();
    const QImage rows =
        image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const int height = rows.height();
    // Two halves on two threads when the picture is large and a second core is there.
    const qsizetype bytes = rows.sizeInBytes();
    const int middle =
        bytes >= kSplitFrom && std::thread::hardware_concurrency() > 1 ? height / 2 : 0;
    Part second;
    std::thread other;
    if (middle > 0) {
        try {
            other = std::thread([&] { second = DeflateRows(rows, middle, height, true); });
        } catch (const std::system_error&) {
            second = DeflateRows(rows, middle, height, true);
        }
    }
    const Part first = DeflateRows(rows, 0, middle > 0 ? middle : height, middle == 0);
    if (other.joinable())
        other.join();
    if (!first.ok || (middle > 0 && !second.ok))
        return {};

    QByteArray idat;
    idat.reserve(static_cast<qsizetype>(2 + first.data.size() + second.data.size() + 4));
    idat.append('\x78');  // deflate, 32 KiB window
    idat.append('\x01');  // fastest level; the check bits make the pair a multiple of 31
    idat.append(reinterpret_cast<const char*>(first.data.data()),
                static_cast<qsizetype>(first.data.size()));
    uLong adler = first.adler;
    if (middle > 0) {
        idat.append(reinterpret_cast<const char*>(second.data.data()),
                    static_cast<qsizetype>(second.data.size()));
        adler = adler32_combine(adler, second.adler, static_cast<z_off_t>(second.length));
    }
    AppendBigEndian(idat, static_cast<quint32>(adler));

    QByteArray header;
    AppendBigEndian(header, static_cast<quint32>(rows.width()));
    AppendBigEndian(header, static_cast<quint32>(height));
    header.append('\x08');                   // bits a sample
    header.append(alpha ? '\x06' : '\x02');  // RGBA or RGB
    header.append(QByteArray(3, '\0'));      // deflate, adaptive filters, no interlace
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", idat);
    AppendChunk(png, "IEND", {});
    return png;
}

QString WritePng(const QImage& image, const QString& path) {
    const QByteArray png = EncodePng(image);
    if (png.isEmpty())
        return QStringLiteral("nothing to draw");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(png) != png.size())
        return file.errorString();
    file.close();  // a full disk may say so only here
    return file.error() == QFileDevice::NoError ? QString() : file.errorString();
}

}  // namespace dovrane::platform
