#include "core/util/TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int WriteTextFileAtomically(const std::string& path, const std::string& text, std::string& error) {
    const std::string temporary = path + ".tmp";
    auto fail = [&](const std::string& name) {
        error = "Cannot write " + name + ": " + std::strerror(errno);
        return -1;
    };
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        return fail(temporary);
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int savedErrno = errno;
    if (std::fclose(file) != 0 || !written) {
        if (!written) {
            errno = savedErrno;
        }
        const int result = fail(temporary);
        std::remove(temporary.c_str());
        return result;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int result = fail(path);
        std::remove(temporary.c_str());
        return result;
    }
    return 0;
}
