#include "core/tags/TagLine.h"

#include "core/tags/TagHistory.h"
#include "core/util/Format.h"

#include <charconv>

namespace {

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendString(std::string& out, const char* key, const std::string& value) {
    out += '"';
    out += key;
    out += "\":\"";
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7F) {
            out += Format("\\u%04x", c);
        } else {
            out += ch;
        }
    }
    out += "\",";
}

void AppendStringOrNull(std::string& out, const char* key, const std::string& value) {
    if (value.empty()) {
        out += Format("\"%s\":null,", key);
    } else {
        AppendString(out, key, value);
    }
}

class JsonReader {
public:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    bool Object(TagFields& fields) {
        Blank();
        if (!Take('{')) {
            return false;
        }
        Blank();
        if (Take('}')) {
            return End();
        }
        for (;;) {
            std::string key;
            Blank();
            if (!String(key)) {
                return false;
            }
            Blank();
            if (!Take(':')) {
                return false;
            }
            Blank();
            if (!Value(key, fields)) {
                return false;
            }
            Blank();
            if (Take('}')) {
                return End();
            }
            if (!Take(',')) {
                return false;
            }
        }
    }

private:
    bool End() {
        Blank();
        return m_pos == m_text.size();
    }
    void Blank() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\r' || m_text[m_pos] == '\n')) {
            ++m_pos;
        }
    }
    bool Take(char c) {
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool Hex4(uint32_t& value) {
        if (m_text.size() - m_pos < 4) {
            return false;
        }
        const char* first = m_text.data() + m_pos;
        const auto [end, error] = std::from_chars(first, first + 4, value, 16);
        m_pos += 4;
        return error == std::errc() && end == first + 4;
    }
    bool String(std::string& out) {
        if (!Take('"')) {
            return false;
        }
        while (m_pos < m_text.size()) {
            const auto c = static_cast<unsigned char>(m_text[m_pos++]);
            if (c == '"') {
                return true;
            }
            if (c < 0x20) {
                return false;
            }
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (m_pos >= m_text.size()) {
                return false;
            }
            const char e = m_text[m_pos++];
            static constexpr std::string_view kFrom = "\"\\/bfnrt";
            static constexpr std::string_view kTo = "\"\\/\b\f\n\r\t";
            if (const auto k = kFrom.find(e); k != std::string_view::npos) {
                out += kTo[k];
                continue;
            }
            uint32_t code = 0;
            if (e != 'u' || !Hex4(code)) {
                return false;
            }
            if (code >= 0xD800 && code < 0xDC00) {
                uint32_t low = 0;
                if (!Take('\\') || !Take('u') || !Hex4(low) || low < 0xDC00 || low > 0xDFFF) {
                    return false;
                }
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            } else if (code >= 0xDC00 && code <= 0xDFFF) {
                return false;
            }
            AppendUtf8(out, code);
        }
        return false;
    }
    bool Value(const std::string& key, TagFields& fields) {
        if (m_pos >= m_text.size()) {
            return false;
        }
        const char c = m_text[m_pos];
        if (c == '"') {
            std::string value;
            if (!String(value)) {
                return false;
            }
            std::string* target = key == "time"              ? &fields.time
                                  : key == "country_code"    ? &fields.countryCode
                                  : key == "country_name"    ? &fields.countryName
                                  : key == "national_id"     ? &fields.nationalId
                                  : key == "type"            ? &fields.type
                                  : key == "event"           ? &fields.event
                                  : key == "frame"           ? &fields.frame
                                  : key == "national_number" ? &fields.nationalNumber
                                  : key == "type_name"       ? &fields.typeName
                                                             : nullptr;
            if (target != nullptr) {
                *target = std::move(value);
            }
            return key != "dropped";
        }
        for (const std::string_view word : {"true", "false", "null"}) {
            if (m_text.substr(m_pos, word.size()) == word) {
                m_pos += word.size();
                return key != "dropped";
            }
        }
        const size_t start = m_pos;
        Take('-');
        const size_t digits = m_pos;
        while (m_pos < m_text.size() &&
               ((m_text[m_pos] >= '0' && m_text[m_pos] <= '9') || m_text[m_pos] == '.' ||
                m_text[m_pos] == 'e' || m_text[m_pos] == 'E' || m_text[m_pos] == '+' ||
                m_text[m_pos] == '-')) {
            ++m_pos;
        }
        if (m_pos == digits) {
            return false;
        }
        const char* first = m_text.data() + start;
        const char* last = m_text.data() + m_pos;
        if (key == "dropped") {
            const auto [end, error] = std::from_chars(first, last, fields.dropped);
            return error == std::errc() && end == last;
        }
        if (key == "country_number") {
            const auto [end, error] = std::from_chars(first, last, fields.countryNumber);
            return error == std::errc() && end == last;
        }
        return true;
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

}  // namespace

std::string TagLine::FieldText(const std::string& latin1) {
    const auto first = latin1.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return TagHistory::Latin1ToUtf8(latin1.substr(first, latin1.find_last_not_of(' ') + 1 - first));
}

std::string TagLine::TimeText(int64_t localMs, int offsetSeconds) {
    // The history's time with ISO 8601's "T" and the offset from UTC.
    std::string text = TagHistory::TimeText(localMs);
    text[10] = 'T';
    const int offset = offsetSeconds < 0 ? -offsetSeconds : offsetSeconds;
    return text + Format("%c%02d:%02d", offsetSeconds < 0 ? '-' : '+', offset / 3600, offset / 60 % 60);
}

void TagLine::SetNumbers(TagFields& fields, int country, int64_t national, const std::string& typeName) {
    fields.countryNumber = country >= 0 && country <= 1023 ? country : -1;
    fields.nationalNumber = national >= 0 && national <= 0x3FFFFFFFFFLL
                                ? Format("%012lld", static_cast<long long>(national))
                                : std::string();
    fields.typeName = typeName;
}

std::string TagLine::HexText(const uint8_t* bytes, size_t count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::string TagLine::Json(const TagFields& f) {
    std::string out = "{";
    if (f.dropped != 0) {
        out += Format("\"dropped\":%llu,", static_cast<unsigned long long>(f.dropped));
    }
    AppendString(out, "time", f.time);
    AppendString(out, "country_code", f.countryCode);
    AppendString(out, "country_name", f.countryName);
    AppendString(out, "national_id", f.nationalId);
    AppendString(out, "type", f.type);
    AppendString(out, "event", f.event);
    out += f.countryNumber >= 0 ? Format("\"country_number\":%d,", f.countryNumber)
                                : std::string("\"country_number\":null,");
    AppendStringOrNull(out, "national_number", f.nationalNumber);
    AppendStringOrNull(out, "type_name", f.typeName);
    if (!f.frame.empty()) {
        AppendString(out, "frame", f.frame);
    }
    out.back() = '}';
    out += '\n';
    return out;
}

std::string TagLine::Plain(const TagFields& f) {
    std::string line = f.countryCode + " " + f.nationalId;
    for (const std::string* extra : {&f.type, &f.event}) {
        if (!extra->empty()) {
            line += " " + *extra;
        }
    }
    // A peer's text never breaks the one-tag-per-line promise.
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
    return line + "\n";
}

std::string TagLine::WithDropped(std::string_view line, uint64_t dropped) {
    if (dropped == 0 || line.empty() || line.front() != '{') {
        return std::string(line);
    }
    return Format("{\"dropped\":%llu,", static_cast<unsigned long long>(dropped)) +
           std::string(line.substr(1));
}

bool TagLine::Parse(std::string_view line, TagFields& fields) {
    if (line.size() > kMaxLine) {
        return false;
    }
    fields = TagFields{};
    return JsonReader(line).Object(fields);
}
