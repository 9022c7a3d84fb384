#include "core/diagnosis/SampleFile.h"

#include "core/util/AtomicFile.h"
#include "core/util/Format.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace SampleFile {

namespace {

std::string Reason(const char* what, const std::string& path, int error) {
    return std::string(what) + " " + path + ": " + std::strerror(error);
}

}  // namespace

std::string SaveName(const std::string& chosen) {
    const std::string ext = kExtension;
    if (chosen.size() >= ext.size() && chosen.compare(chosen.size() - ext.size(), ext.size(), ext) == 0) {
        return chosen;
    }
    return chosen + ext;
}

std::string AutosaveName(const std::string& prefix, int counter, const std::tm& local) {
    std::string first = prefix.substr(0, prefix.find_first_of("\r\n"));
    if (first.size() > kMaxPrefix) {
        first.resize(kMaxPrefix);
    }
    return first +
           Format("%d_%02d%02d%02d%02d", counter, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec) +
           kExtension;
}

int Write(const std::string& path, const uint8_t* bytes, size_t count, std::string& error) {
    CAtomicFile file;
    if (!file.Open(path) || !file.Write(bytes, count) || !file.Commit()) {
        error = file.Error();
        return -1;
    }
    return 0;
}

int Read(const std::string& path, uint8_t* out, size_t max, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = Reason("Cannot read", path, errno);
        return -1;
    }
    // Read into a copy first: a failing read must not leave half a block behind.
    std::string data(max, '\0');
    const size_t n = std::fread(data.data(), 1, max, file);
    const bool failed = std::ferror(file) != 0;
    const int readError = errno;
    std::fclose(file);
    if (failed) {
        error = Reason("Cannot read", path, readError);
        return -1;
    }
    std::memcpy(out, data.data(), n);
    return static_cast<int>(n);
}

}  // namespace SampleFile
