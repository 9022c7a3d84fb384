#pragma once

#include <cstdarg>
#include <string>

// printf/scanf with the "C" numeric locale, whatever the process locale is. Qt adopts the
// user's locale at start-up, and a German one would otherwise write "1,96" into files and the
// wire where the reader and other tools expect "1.96".
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* format, va_list args);

// sscanf under the "C" numeric locale; returns the number of fields assigned (or -1 at end of input).
int Scan(const std::string& text, const char* format, ...) __attribute__((format(scanf, 2, 3)));

// Reads a decimal floating-point number the way "%Lf" does (leading blanks skipped, trailing text
// ignored); returns false when no number is there.
bool ParseDouble(const std::string& text, double& value);

// Reads a decimal integer the way "%d" does; returns false when no number is there.
bool ParseInt(const std::string& text, int& value);
