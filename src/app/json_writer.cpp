#include "app/json_writer.h"

#include <QLocale>
#include <cstdio>

namespace dovrane::app {

void JsonWriter::separate() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first.empty()) {
        if (!m_first.back())
            m_out += ", ";
        m_first.back() = false;
    }
}

JsonWriter& JsonWriter::beginObject() {
    separate();
    m_out += '{';
    m_first.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    m_out += '}';
    m_first.pop_back();
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    separate();
    m_out += '[';
    m_first.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    m_out += ']';
    m_first.pop_back();
    return *this;
}

JsonWriter& JsonWriter::key(QStringView name) {
    value(name);
    m_out += ": ";
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::value(QStringView text) {
    separate();
    m_out += '"';
    char escape[8];
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool pairedHigh = high && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (c == '"' || c == '\\') {
            m_out += '\\';
            m_out += static_cast<char>(c);
        } else if (c == '\n') {
            m_out += "\\n";
        } else if (c == '\t') {
            m_out += "\\t";
        } else if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF && !pairedHigh)) {
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            m_out += escape;
        } else if (pairedHigh) {
            m_out += text.mid(i, 2).toUtf8();
            ++i;
        } else {
            m_out += text.mid(i, 1).toUtf8();
        }
    }
    m_out += '"';
    return *this;
}

JsonWriter& JsonWriter::value(quint64 number) {
    separate();
    m_out += QByteArray::number(number);
    return *this;
}

JsonWriter& JsonWriter::value(qint64 number) {
    separate();
    m_out += QByteArray::number(number);
    return *this;
}

JsonWriter& JsonWriter::value(double number) {
    separate();
    m_out += QByteArray::number(number, 'g', QLocale::FloatingPointShortest);
    return *this;
}

}  // namespace dovrane::app
