#include "core/tags/TransponderId.h"

#include "core/util/Format.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kHdxText = "  HDX";
constexpr const char* kFdxBText = "FDX-B";
constexpr size_t kFieldStart = 4;  // frame byte of the ID length byte, after the command code

std::string HexBytes(const uint8_t* bytes, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        out += Format("%02x", bytes[i]);
    }
    return out;
}

// Splits a decimal number into 5 bytes, least significant first, truncating as the reader does.
std::array<uint8_t, 5> SplitNational(double value) {
    std::array<uint8_t, 5> out{};
    if (!std::isfinite(value) || value < 0) {
        value = 0;
    }
    for (auto& b : out) {
        b = static_cast<uint8_t>(std::fmod(std::trunc(value), 256.0));
        value = std::trunc(value / 256.0);
    }
    return out;
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

bool CTransponderId::IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

void CTransponderId::DecodeIsoCode(const uint8_t* r) {
    const int country = r[5] * 4 + (r[4] >> 6);
    m_countryCode = Format("%04d", country);
    const double national = static_cast<double>(r[4] & 0x3F) * 4294967296.0 +
                            static_cast<double>(r[3]) * 16777216.0 + static_cast<double>(r[2]) * 65536.0 +
                            static_cast<double>(r[1]) * 256.0 + static_cast<double>(r[0]);
    m_nationalId = Format("%012.0f", national);
}

void CTransponderId::DecodeTagRecord(std::span<const uint8_t, 9> record) {
    m_countryCode.clear();
    m_nationalId.clear();
    m_tagType.clear();
    DecodeIsoCode(record.data());
    switch (record[8]) {
        case kTypeHdx:
            m_tagType = kHdxText;
            break;
        case kTypeFdxB:
            m_tagType = kFdxBText;
            break;
        default:
            m_tagType = Format("%02x", record[8]);
            break;
    }
}

void CTransponderId::DecodeTagData(std::span<const uint8_t> frame) {
    m_countryCode.clear();
    m_nationalId.clear();
    m_tagType.clear();
    m_eventText.clear();
    // The delivered frame ends in its CRC byte, which is no part of any field.
    if (frame.size() <= kFieldStart + 1) {
        return;
    }
    const auto f = frame.subspan(kFieldStart, frame.size() - 1 - kFieldStart);
    const size_t n = f[0];
    if (n == 0) {
        return;
    }
    const size_t idLength = n - 1;
    // Each field is shown only when the message holds it whole; a cut-short field stays empty
    // without hiding the fields before it.
    const auto has = [&f](size_t index) { return index < f.size(); };
    const bool characterForm = idLength == 16 || idLength == 10;
    if (idLength == 0) {
        m_nationalId = "Empty ID";
        return;
    }
    if ((!characterForm && idLength != 8 && idLength != 5 && idLength != 13) || !has(idLength)) {
        return;
    }
    const uint8_t* id = f.data() + 1;
    if (characterForm) {
        if (!std::all_of(id, id + idLength, [](uint8_t c) { return IsHexDigit(static_cast<char>(c)); })) {
            return;
        }
        const std::string text(reinterpret_cast<const char*>(id), idLength);
        if (idLength == 16) {
            m_countryCode = text.substr(0, 4);
            m_nationalId = text.substr(4, 12);
        } else {
            m_nationalId = text;
        }
    } else if (idLength == 8) {
        if (id[0] == 0xFF) {
            return;
        }
        m_countryCode = HexBytes(id, 2);
        m_nationalId = HexBytes(id + 2, 6);
    } else if (idLength == 5) {
        m_nationalId = HexBytes(id, 5);
    } else {
        DecodeIsoCode(id);
    }
    if (!has(n + 2)) {
        return;
    }
    const uint8_t prefix = f[n + 1];
    const uint8_t code = f[n + 2];
    m_tagType = characterForm ? Format("%c%c", prefix, code) : Format("%02x", prefix);
    const uint8_t hdx = characterForm ? '1' : kTypeHdx;
    const uint8_t fdxB = characterForm ? '5' : kTypeFdxB;
    if (code == hdx) {
        m_tagType = kHdxText;
    } else if (code == fdxB) {
        m_tagType = kFdxBText;
    }
    if (!characterForm || !has(n + 8) || f[n + 3] == 0) {
        return;
    }
    const size_t m = f[n + 8];
    if (m > 1 && has(n + 7 + m)) {
        m_eventText.assign(reinterpret_cast<const char*>(f.data() + n + 9), m - 1);
    }
}

CTransponderId::Numbers CTransponderId::NumbersOfTagData(std::span<const uint8_t> frame) {
    Numbers out;
    if (frame.size() <= kFieldStart + 1) {
        return out;
    }
    const auto f = frame.subspan(kFieldStart, frame.size() - 1 - kFieldStart);
    const size_t n = f[0];
    if (n < 2 || n >= f.size()) {
        return out;
    }
    const size_t length = n - 1;
    const uint8_t* id = f.data() + 1;
    // Big-endian bytes, or digits in the given base; -1 for anything else.
    const auto number = [](const uint8_t* bytes, size_t count, int base) {
        int64_t value = 0;
        for (size_t i = 0; i < count; ++i) {
            int digit = base == 256 ? bytes[i] : -1;
            if (base != 256 && IsHexDigit(static_cast<char>(bytes[i]))) {
                digit = bytes[i] <= '9' ? bytes[i] - '0' : (bytes[i] | 0x20) - 'a' + 10;
            }
            if (digit < 0 || digit >= base) {
                return int64_t{-1};
            }
            value = value * base + digit;
        }
        return value;
    };
    const bool characterForm = length == 16 || length == 10;
    if (length == 16) {
        out.country = static_cast<int>(number(id, 4, 10));
        out.national = number(id + 4, 12, 10);
    } else if (length == 10) {
        out.national = number(id, 10, 16);
    } else if (length == 8 && id[0] != 0xFF) {
        out.country = static_cast<int>(number(id, 2, 256));
        out.national = number(id + 2, 6, 256);
    } else if (length == 5) {
        out.national = number(id, 5, 256);
    } else if (length == 13) {
        out.country = id[5] * 4 + (id[4] >> 6);
        out.national = (static_cast<int64_t>(id[4] & 0x3F) << 32) | (static_cast<int64_t>(id[3]) << 24) |
                       (id[2] << 16) | (id[1] << 8) | id[0];
    } else {
        return out;
    }
    if (out.country > 1023) {
        out.country = -1;
    }
    if (out.national > 0x3FFFFFFFFFLL) {
        out.national = -1;
    }
    if (n + 2 < f.size()) {
        out.type = characterForm ? static_cast<int>(number(f.data() + n + 1, 2, 10)) : f[n + 2];
    }
    return out;
}

std::string CTransponderId::TypeName(int type) {
    switch (type) {
        case kTypeHdx:
            return "HDX";
        case kTypeH4002:
            return "H4002";
        case kTypeFdxB:
            return "FDX-B";
        default:
            return {};
    }
}

int CTransponderId::EncodeTagText(const std::string& input, std::array<uint8_t, 8>& code) {
    std::array<uint8_t, 8> out{};
    out[7] = 0x80;
    std::string text = input;
    text.erase(0,
               text.find_first_not_of(' ') == std::string::npos ? text.size() : text.find_first_not_of(' '));
    while (!text.empty() && text.front() == '0') {
        text.erase(0, 1);
    }
    std::string country;
    while (!text.empty() && text.front() != ' ' && country.size() < 3) {
        country.push_back(text.front());
        text.erase(0, 1);
    }
    int countryCode = 0;
    if (!ParseInt(country, countryCode) || countryCode > 999 || countryCode < 1) {
        return -1;
    }
    out[4] = static_cast<uint8_t>((countryCode & 3) << 6);
    out[5] = static_cast<uint8_t>((countryCode >> 2) & 0xFF);
    double national = 0;
    ParseDouble(Trim(text), national);
    const auto bytes = SplitNational(national);
    for (size_t i = 0; i < 4; ++i) {
        out[i] = bytes[i];
    }
    out[4] |= bytes[4] & 0x3F;
    code = out;
    return 0;
}

std::array<uint8_t, 5> CTransponderId::NationalIdToBytes(const std::string& text) {
    double national = 0;
    ParseDouble(text, national);
    return SplitNational(national);
}
