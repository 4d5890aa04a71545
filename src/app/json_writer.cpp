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
    // Runs of characters that need no escape go out in one conversion.
    qsizetype run = 0;
    const auto flush = [&](qsizetype end) {
        if (end > run)
            m_out += text.mid(run, end - run).toUtf8();
    };
    char escape[8];
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
        if (surrogate && c <= 0xDBFF && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;  // a pair: an ordinary character
            continue;
        }
        if (c != '"' && c != '\\' && c >= 0x20 && !surrogate)
            continue;
        flush(i);
        run = i + 1;
        if (c == '"' || c == '\\') {
            m_out += '\\';
            m_out += static_cast<char>(c);
        } else if (c == '\n') {
            m_out += "\\n";
        } else if (c == '\t') {
            m_out += "\\t";
        } else {  // other control characters, and lone surrogates of names that are not UTF-8
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            m_out += escape;
        }
    }
    flush(text.size());
    m_out += '"';
    return *this;
}

namespace {

// Runs between the characters that need an escape go out in one append.
template <typename Out, typename Size>
void AppendEscapedAscii(std::string_view text, Out& out) {
    out += '"';
    size_t run = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '"' && text[i] != '\\')
            continue;
        out.append(text.data() + run, static_cast<Size>(i - run));
        out += '\\';
        run = i;
    }
    out.append(text.data() + run, static_cast<Size>(text.size() - run));
    out += '"';
}

}  // namespace

JsonWriter& JsonWriter::asciiValue(std::string_view text) {
    separate();
    AppendEscapedAscii<QByteArray, qsizetype>(text, m_out);
    return *this;
}

void JsonWriter::AppendAsciiValue(std::string_view text, std::string& out) {
    AppendEscapedAscii<std::string, size_t>(text, out);
}

JsonWriter& JsonWriter::resumeArray(bool empty) {
    m_first.push_back(empty);
    return *this;
}

JsonWriter& JsonWriter::asciiKey(std::string_view name) {
    asciiValue(name);
    m_out += ": ";
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::value(quint64 number) {
    separate();
    m_out += QByteArray::number(number);
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    separate();
    m_out += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    separate();
    m_out += "null";
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
