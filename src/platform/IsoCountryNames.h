#pragma once

#include <string>

// ISO 3166-1 numeric code ("276", "0276") to the country's English name, from the system's
// iso-codes when installed; empty when unknown.
std::string IsoCountryName(const std::string& code);
