#pragma once

#include <map>
#include <string>

// Country names of the numeric ISO 3166-1 codes that transponders carry, read from a list the
// system keeps up to date (Debian's iso-codes JSON). Without that list only the manufacturer
// codes are named.
class CCountryNames final {
public:
    static constexpr const char* kSystemList = "/usr/share/iso-codes/json/iso_3166-1.json";

    // false when the file cannot be read or holds no entry.
    bool Load(const std::string& path);
    // The entries of an iso_3166-1.json text; returns how many were found.
    int Parse(const std::string& json);
    // "Germany" for 276, "manufacturer code" for 900 to 998, empty for codes without a name.
    std::string Name(int code) const;
    size_t Count() const { return m_names.size(); }

private:
    std::map<int, std::string> m_names;
};
