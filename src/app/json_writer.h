#pragma once
// A small JSON writer that keeps key order and writes 64-bit integers exactly (a double
// would round byte counts above 2^53). Lone surrogates of host names that are not UTF-8
// are written as \uDCxx escapes, so no name is lost.

#include <QString>
#include <QtGlobal>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dovrane::app {

class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(QStringView name);
    JsonWriter& value(QStringView text);
    JsonWriter& value(const QString& text) { return value(QStringView(text)); }
    JsonWriter& value(const char16_t* text) { return value(QStringView(text)); }
    JsonWriter& value(quint64 number);
    JsonWriter& value(qint64 number);
    JsonWriter& value(int number) { return value(static_cast<qint64>(number)); }
    JsonWriter& value(double number);  // shortest text that reads back the same
    JsonWriter& value(bool flag);
    JsonWriter& null();

    // The document as UTF-8, with a final newline.
    QByteArray finish() const { return m_out + '\n'; }
    // What was written since the last take, for a writer that streams a long document.
    QByteArray take() { return std::exchange(m_out, {}); }
    // Text of printable ASCII only, escaped as value() escapes it, without a conversion.
    JsonWriter& asciiValue(std::string_view text);
    // The same string, quotes and all, appended to `out` by a writer that lays out the
    // common rows of a long document itself.
    static void AppendAsciiValue(std::string_view text, std::string& out);
    JsonWriter& asciiKey(std::string_view name);
    // Goes on inside an array that another writer opened, and that holds nothing yet when
    // `empty`: writers of parts of one long array, each part written by its own.
    JsonWriter& resumeArray(bool empty);

private:
    void separate();
    QByteArray m_out;
    std::vector<bool> m_first;  // per open container: nothing written in it yet
    bool m_afterKey = false;
};

}  // namespace dovrane::app
