#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>

// Takes the fuzzer's bytes piece by piece: a control byte now and then, the rest as line data.
class FuzzInput final {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_rest(data, size) {}

    bool Empty() const { return m_rest.empty(); }
    uint8_t Byte() {
        if (m_rest.empty()) {
            return 0;
        }
        const uint8_t b = m_rest.front();
        m_rest = m_rest.subspan(1);
        return b;
    }
    // Up to count bytes, fewer at the end.
    std::span<const uint8_t> Take(size_t count) {
        const size_t n = count < m_rest.size() ? count : m_rest.size();
        const auto out = m_rest.first(n);
        m_rest = m_rest.subspan(n);
        return out;
    }

private:
    std::span<const uint8_t> m_rest;
};

// A file of this process's own for the readers that take a path: written anew for each input,
// in a folder that goes away when the fuzzer ends; names never clash between fuzzers running
// side by side. In memory where the system offers it: opening and renaming files on a disk
// would take most of each run.
inline std::string FuzzFolder() {
    static const struct Folder {
        Folder() {
            std::error_code error;
            const std::filesystem::path shm("/dev/shm");
            const auto base =
                std::filesystem::is_directory(shm, error) ? shm : std::filesystem::temp_directory_path();
            path = base / ("corvantelle-fuzz-" + std::to_string(::getpid()));
            std::filesystem::create_directories(path);
        }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
        std::filesystem::path path;
    } folder;
    return folder.path.string();
}

inline std::string FuzzFile(const char* name, std::span<const uint8_t> bytes) {
    const std::string path = FuzzFolder() + "/" + name;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path;
}
