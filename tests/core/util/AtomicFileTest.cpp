// Every save of the tool goes through one temporary file; these check what lands on disk.
#include "core/config/ConfigFile.h"
#include "core/diagnosis/SampleFile.h"
#include "core/util/AtomicFile.h"
#include "core/util/TextFile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Folder {
    Folder() {
        path = fs::temp_directory_path() /
               ("corvantelle-atomic-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        fs::create_directories(path);
    }
    ~Folder() { fs::remove_all(path); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path path;
    static inline int counter = 0;
};

using Saver = std::function<bool(const std::string& path, const std::string& content)>;

const struct {
    const char* name;
    Saver save;
} kSavers[] = {
    {"text",
     [](const std::string& p, const std::string& c) {
         std::string error;
         return TextFile::WriteAtomic(p, c, error);
     }},
    {"monitor and tag history",
     [](const std::string& p, const std::string& c) {
         std::string error;
         return WriteTextFileAtomically(p, c, error) == 0;
     }},
    {"samples",
     [](const std::string& p, const std::string& c) {
         std::string error;
         return SampleFile::Write(p, reinterpret_cast<const uint8_t*>(c.data()), c.size(), error) == 0;
     }},
    {"download",
     [](const std::string& p, const std::string& c) {
         CAtomicTextWriter writer;
         return writer.Open(p) && writer.Write(c) && writer.Close();
     }},
};

TEST(AtomicFile, APlantedLinkIsNeverFollowedAndTheModeOfTheReplacedFileStays) {
    for (const auto& saver : kSavers) {
        Folder folder;
        const fs::path target = folder.path / "x.cfg";
        const fs::path victim = folder.path / "victim";
        std::ofstream(victim) << "precious";
        std::ofstream(target) << "old";
        ::chmod(target.c_str(), 0640);
        for (const char* planted : {"x.cfg.part", "x.cfg.tmp", "x.cfg~"}) {
            fs::create_symlink(victim, folder.path / planted);
        }
        ASSERT_TRUE(saver.save(target.string(), "new bytes")) << saver.name;
        EXPECT_EQ(ReadAll(victim), "precious") << saver.name;
        EXPECT_FALSE(fs::is_symlink(target)) << saver.name;
        EXPECT_EQ(ReadAll(target), "new bytes") << saver.name;
        struct stat info {};
        ::stat(target.c_str(), &info);
        EXPECT_EQ(info.st_mode & 07777, 0640u) << saver.name;
        EXPECT_EQ(folder.Names(),
                  (std::vector<std::string>{"victim", "x.cfg", "x.cfg.part", "x.cfg.tmp", "x.cfg~"}))
            << saver.name;
    }
}

TEST(AtomicFile, SaveLeavesTheOldFileWhenItFails) {
    for (const auto& saver : kSavers) {
        Folder folder;
        const fs::path target = folder.path / "herd.txt";
        std::ofstream(target) << "the old herd";
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 64;
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &small);
        const bool saved = saver.save(target.string(), std::string(200, 'x'));
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, handler);
        EXPECT_FALSE(saved) << saver.name;
        EXPECT_EQ(ReadAll(target), "the old herd") << saver.name;
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"herd.txt"}) << saver.name;
    }
}

TEST(AtomicFile, TwoWritersOfOneNameNeverMixTheirBytes) {
    Folder folder;
    const std::string target = (folder.path / "x.cfg").string();
    CAtomicFile first;
    CAtomicFile second;
    ASSERT_TRUE(first.Open(target));
    ASSERT_TRUE(second.Open(target));
    EXPECT_NE(first.TemporaryPath(), second.TemporaryPath());
    first.Write(std::string("first writer's long text"));
    second.Write(std::string("second"));
    ASSERT_TRUE(second.Commit());
    ASSERT_TRUE(first.Commit());
    EXPECT_EQ(ReadAll(target), "first writer's long text");
    // A job that did not complete keeps its bytes under the temporary name only.
    CAtomicFile partial;
    ASSERT_TRUE(partial.Open(target));
    partial.Write(std::string("half"));
    ASSERT_TRUE(partial.Keep());
    EXPECT_EQ(ReadAll(partial.TemporaryPath()), "half");
    EXPECT_EQ(ReadAll(target), "first writer's long text");
}

TEST(AtomicFile, ConfigFileSaveKeepsAPlantedLinksTargetIntact) {
    Folder folder;
    const fs::path target = folder.path / "x.cfg";
    std::ofstream(folder.path / "victim") << "precious";
    fs::create_symlink(folder.path / "victim", folder.path / "x.cfg.part");
    std::string error;
    ASSERT_EQ(ConfigFile::SaveFile(target.string(), ConfigRecord{}, error), 0) << error;
    EXPECT_EQ(ReadAll(folder.path / "victim"), "precious");
    EXPECT_FALSE(fs::is_symlink(target));
    EXPECT_NE(ReadAll(target).find("[Timeout]"), std::string::npos);
}

}  // namespace
