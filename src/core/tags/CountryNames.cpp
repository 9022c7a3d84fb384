#include "core/tags/CountryNames.h"

#include <fstream>
#include <iterator>

namespace {

// The text of "key": "value" inside one object, or empty; JSON escapes other than \" and \\ are
// kept as they stand (names in the list are plain UTF-8).
std::string Value(const std::string& object, const std::string& key) {
    const std::string quoted = "\"" + key + "\"";
    size_t at = object.find(quoted);
    if (at == std::string::npos) {
        return {};
    }
    at = object.find('"', object.find(':', at + quoted.size()));
    if (at == std::string::npos) {
        return {};
    }
    std::string value;
    for (size_t i = at + 1; i < object.size() && object[i] != '"'; ++i) {
        if (object[i] == '\\' && i + 1 < object.size()) {
            ++i;
        }
        value.push_back(object[i]);
    }
    return value;
}

}  // namespace

bool CCountryNames::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    return Parse(text) > 0;
}

int CCountryNames::Parse(const std::string& json) {
    int found = 0;
    for (size_t open = json.find('{', 1); open != std::string::npos; open = json.find('{', open + 1)) {
        const size_t close = json.find('}', open);
        if (close == std::string::npos) {
            break;
        }
        const std::string object = json.substr(open, close - open);
        const std::string numeric = Value(object, "numeric");
        const std::string name = Value(object, "name");
        if (!numeric.empty() && !name.empty() &&
            numeric.find_first_not_of("0123456789") == std::string::npos && numeric.size() <= 4) {
            m_names[std::stoi(numeric)] = name;
            ++found;
        }
        open = close;
    }
    return found;
}

std::string CCountryNames::Name(int code) const {
    if (code >= 900 && code <= 998) {
        return "manufacturer code";
    }
    const auto it = m_names.find(code);
    return it == m_names.end() ? std::string() : it->second;
}
