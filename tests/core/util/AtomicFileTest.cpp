// Every save of the tool goes through one temporary file; these check what lands on disk.
#include "../tags/TagsTestSupport.h"

#include "core/config/ConfigFile.h"
#include "core/diagnosis/SampleFile.h"
#include "core/util/AtomicFile.h"
#include "core/util/TextFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <functional>

namespace {

namespace fs = std::filesystem;
using Saver = std::function<bool(const std::string& path, const std::string& content)>;

const std::pair<const char*, Saver> kSavers[] = {
    {"text",
     [](const std::string& p, const std::string& c) {
         std::string e;
         return WriteFileAtomically(p, c, e);
     }},
    {"samples",
     [](const std::string& p, const std::string& c) {
         std::string e;
         return SampleFile::Write(p, reinterpret_cast<const uint8_t*>(c.data()), c.size(), e) == 0;
     }},
    {"download",
     [](const std::string& p, const std::string& c) {
         CAtomicFile writer;
         return writer.Open(p) && writer.Write(c) && writer.Commit();
     }},
};

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AtomicFile, APlantedLinkIsNeverFollowedAndTheReplacedFilesModeStays) {
    for (const auto& [name, save] : kSavers) {
        TempDir dir;
        std::ofstream(dir / "victim") << "precious";
        std::ofstream(dir / "x.cfg") << "old";
        ::chmod((dir / "x.cfg").c_str(), 0640);
        fs::create_symlink(dir / "victim", dir / "x.cfg.part");
        ASSERT_TRUE(save(dir / "x.cfg", "new bytes")) << name;
        EXPECT_EQ(ReadAll(dir / "victim"), "precious") << name;
        EXPECT_EQ(ReadAll(dir / "x.cfg"), "new bytes") << name;
        EXPECT_EQ(fs::status(dir / "x.cfg").permissions(), fs::perms(0640)) << name;
        EXPECT_EQ(Names(dir.path), (std::vector<std::string>{"victim", "x.cfg", "x.cfg.part"})) << name;
    }
    TempDir dir;
    fs::create_symlink(dir / "victim", dir / "x.cfg.part");
    std::string error;
    ASSERT_EQ(ConfigFile::SaveFile(dir / "x.cfg", ConfigRecord{}, error), 0) << error;
    EXPECT_FALSE(fs::exists(dir / "victim"));
}

TEST(AtomicFile, SaveLeavesTheOldFileWhenItFails) {
    for (const auto& [name, save] : kSavers) {
        TempDir dir;
        std::ofstream(dir / "herd.txt") << "the old herd";
        bool saved = true;
        {
            const DiskFullAfter full(64);
            saved = save(dir / "herd.txt", std::string(200, 'x'));
        }
        EXPECT_FALSE(saved) << name;
        EXPECT_EQ(ReadAll(dir / "herd.txt"), "the old herd") << name;
        EXPECT_EQ(Names(dir.path), std::vector<std::string>{"herd.txt"}) << name;
    }
}

TEST(AtomicFile, TwoWritersOfOneNameNeverMixTheirBytes) {
    TempDir dir;
    CAtomicFile first;
    CAtomicFile second;
    ASSERT_TRUE(first.Open(dir / "x.cfg") && second.Open(dir / "x.cfg"));
    first.Write(std::string("first writer's long text"));
    second.Write(std::string("second"));
    ASSERT_TRUE(second.Commit() && first.Commit());
    EXPECT_EQ(ReadAll(dir / "x.cfg"), "first writer's long text");
}

}  // namespace
