#include "core/util/Format.h"

#include <locale.h>
#include <clocale>
#include <cstdio>

namespace {

// The "C" locale object is made once and lives for the whole process.
locale_t CLocale() {
    static locale_t const c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

// Switches the calling thread to the "C" locale for its lifetime.
class CLocaleScope final {
public:
    CLocaleScope() : m_previous(uselocale(CLocale())) {}
    ~CLocaleScope() { uselocale(m_previous); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t m_previous;
};

}  // namespace

std::string FormatV(const char* format, va_list args) {
    CLocaleScope scope;
    char small[256];
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0) {
        return {};
    }
    if (static_cast<size_t>(needed) < sizeof small) {
        return std::string(small, static_cast<size_t>(needed));
    }
    std::string out(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<size_t>(needed));
    return out;
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string out = FormatV(format, args);
    va_end(args);
    return out;
}

int Scan(const std::string& text, const char* format, ...) {
    CLocaleScope scope;
    va_list args;
    va_start(args, format);
    const int n = std::vsscanf(text.c_str(), format, args);
    va_end(args);
    return n;
}

bool ParseDouble(const std::string& text, double& value) {
    long double v = 0;
    if (Scan(text, "%Lf", &v) != 1) {
        return false;
    }
    value = static_cast<double>(v);
    return true;
}

bool ParseInt(const std::string& text, int& value) {
    int v = 0;
    if (Scan(text, "%d", &v) != 1) {
        return false;
    }
    value = v;
    return true;
}
