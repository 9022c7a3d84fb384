#include "../tags/TagsTestSupport.h"

#include "core/config/ConfigFile.h"
#include "core/config/ConfigFileCommands.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <sstream>

namespace {

ConfigRecord Read(const std::string& text, ConfigFile::Summary* summary = nullptr) {
    std::istringstream in(text);
    ConfigRecord r;
    ConfigFile::ReadConfigFile(in, r, summary);
    return r;
}

std::string Written(const ConfigRecord& r) {
    std::ostringstream out;
    ConfigFile::WriteConfigFile(out, r);
    return out.str();
}

ConfigRecord Sample() {
    ConfigRecord r;
    r.format = 0x0A, r.timeout = 50, r.syncLevel = 100, r.timing = 2, r.permanentReadBreak = 250;
    r.permanentReadBursts = 7200, r.permanentReadReads = 5, r.permanentReadActive = 1,
    r.switchOffTime = 12345;
    r.ioFlags = 3, r.rfPower = 1, r.bluetoothMode = 1, r.customFormat = {0x05, 0x50, 0x23}, r.accessLevel = 2;
    r.doubleReadTime = 5000;
    return r;
}

const char* const kSampleFile =
    "[Output format]\r\n\t0x0a\r\n\r\n[Timeout]\r\n\t5000\r\n\r\n[Wireless sync level]\r\n\t1.96\r\n\r\n"
    "[Optimization]\r\n\t0x02\r\n\r\n[Permanent read break]\r\n\t250\r\n\r\n[Permanent read "
    "bursts]\r\n\t7200\r\n\r\n"
    "[Permanent read reads]\r\n\t5\r\n\r\n[Permanent read active]\r\n\t0x01\r\n\r\n[Switch off "
    "time]\r\n\t123\r\n\r\n"
    "[IO]\r\n\t0x03\r\n\r\n[RF Power]\r\n\t0x01\r\n\r\n[Bluetooth Mode]\r\n\t0x01\r\n\r\n"
    "[Custom output format 0]\r\n\t0x05\r\n\r\n[Custom output format 1]\r\n\t0x50\r\n\r\n"
    "[Custom output format 2]\r\n\t0x23\r\n\r\n[Access level]\r\n\t2\r\n\r\n[Check for double "
    "reads]\r\n\t5000\r\n\r\n";

TEST(ConfigFileTest, WritesTheFileByteForByteInAnyLocale) {
    EXPECT_EQ(Written(Sample()), kSampleFile);
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    }
    const std::string german = Written(Sample());
    const ConfigRecord back = Read(kSampleFile);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(german, kSampleFile);
    EXPECT_EQ(back.syncLevel, 100);
}

TEST(ConfigFileTest, ReadsWhatTheWriterAndOthersWrote) {
    const ConfigRecord r = Read(kSampleFile);
    EXPECT_EQ(r.format, 0x0A);
    EXPECT_EQ(r.syncLevel, 100);  // written as "1.96"; 1.96 x 51 alone would give 99
    for (int level = 0; level < 256; ++level) {
        const auto byte = static_cast<uint8_t>(level);
        EXPECT_EQ(ConfigFile::SyncLevelValue(ConfigFile::SyncLevelText(byte)), byte) << level;
    }
    EXPECT_EQ(r.switchOffTime, 12300);  // 12345 -> 123 -> 12300
    EXPECT_EQ(r.customFormat, (std::array<uint8_t, 3>{0x05, 0x50, 0x23}));
    EXPECT_EQ(r.doubleReadTime, 5000);

    const ConfigRecord only = Read("[Timeout]\n\t3000\n\n");
    ConfigRecord defaults;
    ConfigFile::SetDefaults(defaults);
    defaults.timeout = 30;
    EXPECT_EQ(Written(only), Written(defaults));

    std::string lf = kSampleFile;
    std::string crcrlf;
    for (size_t i = 0; i < lf.size(); ++i) {
        if (lf.compare(i, 2, "\r\n") == 0) {
            crcrlf += "\r\r\n";
            ++i;
        } else {
            crcrlf += lf[i];
        }
    }
    EXPECT_EQ(Written(Read(crcrlf)), Written(r));
    EXPECT_EQ(Read("[Wireless sync level]\n2.00\n").syncLevel, 102);
    EXPECT_NE(Written(ConfigRecord{.syncLevel = 102}).find("[Wireless sync level]\r\n\t2.00\r\n"),
              std::string::npos);
    EXPECT_EQ(Read("[IO]\n \t 0x1F\t \n").ioFlags, 0x1F);
    EXPECT_EQ(Read("header [..Timeout..] trailer\n\t4500\n").timeout, 45);
    EXPECT_EQ(ConfigFile::WithExtension("test"), "test.cfg");
    EXPECT_EQ(ConfigFile::WithExtension("old.cfg"), "old.cfg");

    ConfigFile::Summary summary;
    Read("[Timeout]\n\t3000\n[Colour]\n\tred\n", &summary);
    EXPECT_EQ(summary.Found(), 1);
    EXPECT_EQ(summary.unknown, 1);
    EXPECT_EQ(ConfigFileCommands::LoadedText("/x/old.cfg", 15, "IO, Bluetooth Mode", 1),
              "Loaded old.cfg: 15 settings, defaults for IO, Bluetooth Mode; 1 unknown section skipped");
}

TEST(ConfigFileTest, BadFilesLoadWithoutHarm) {
    const std::string rows[] = {
        "",
        std::string("\0\xff\x01[\x02]\n\xfe\0\n", 9),
        "[Timeout]\n" + std::string(10 * 1024 * 1024, '7') + "\n",
        "[Switch off time]\n99999999999999999999\n[Wireless sync level]\n1e308\n[Timeout]\n-99999999999\n",
        "[IO]\n0x\n[RF Power]\n\t0x1\n",
    };
    for (const std::string& text : rows) {
        Read(text);  // must simply return
    }
    EXPECT_EQ(Read("[Wireless sync level]\n1e308\n").syncLevel, 0);
    EXPECT_EQ(Read("[RF Power]\n\t0x1\n").rfPower, 1);
}

// Values that would be cut or wrapped on their way to the reader, and files that are not whole.
TEST(ConfigFileTest, RefusalsNameEveryValueTheReaderDoesNotTake) {
    const auto with = [](const std::string& section, const std::string& value) {
        std::string text = kSampleFile;
        const size_t at = text.find('\t', text.find("[" + section + "]"));
        return text.replace(at + 1, text.find('\r', at) - at - 1, value);
    };
    const std::string bad = "value the reader does not take: ";
    // clang-format off
    const struct { std::string file; bool allowDefaults; std::vector<std::string> refusals; } rows[] = {
        {kSampleFile, false, {}},
        {with("Timeout", "abc"), false, {bad + "[Timeout] abc"}},
        {with("Timeout", "150"), false, {bad + "[Timeout] 150"}},
        {with("Switch off time", "99999"), false, {bad + "[Switch off time] 99999"}},
        {with("Check for double reads", "70000"), false, {bad + "[Check for double reads] 70000"}},
        {with("Permanent read reads", "300"), false, {bad + "[Permanent read reads] 300"}},
        {with("Wireless sync level", "1,96"), false, {bad + "[Wireless sync level] 1,96"}},
        {with("Access level", "3"), false, {bad + "[Access level] 3"}},
        {"[Timeout]\r\n\t3000\r\n", true, {}},
        {"[Output format]\r\n\t0x01\r\n[Timeout]\r\n\t3000\r\n[IO]\r\n\t0x03\r\n", false,
         {"sections taken from defaults: Wireless sync level, Optimization, Permanent read break, Permanent read bursts, "
          "Permanent read reads, Permanent read active, Switch off time, RF Power, Bluetooth Mode, Custom output format 0, "
          "Custom output format 1, Custom output format 2, Access level, Check for double reads"}},
        {"nothing of a configuration\n", true, {"no configuration section"}},
        {std::string(100 * 1024, '\0'), true, {"larger than a configuration file (over 65536 bytes)"}},
    };
    // clang-format on
    for (const auto& row : rows) {
        ConfigFile::Summary summary;
        Read(row.file, &summary);
        EXPECT_EQ(ConfigFile::Refusals(summary, row.allowDefaults), row.refusals) << row.file.substr(0, 60);
    }
}

TEST(ConfigFileTest, SavingReplacesTheFileOrLeavesTheOldOne) {
    TempDir dir;
    const std::string path = dir / "reader.cfg";
    std::string error;
    ASSERT_EQ(ConfigFile::SaveFile(path, Sample(), error), 0) << error;
    EXPECT_EQ(ConfigFile::SaveFile(dir / "missing/x.cfg", Sample(), error), -1);
    EXPECT_EQ(error, "No such file or directory");
    ConfigRecord r;
    ConfigFile::Summary summary;
    ASSERT_EQ(ConfigFile::LoadFile(path, r, summary, error), 0);
    EXPECT_EQ(summary.Found(), 17);
    EXPECT_EQ(ConfigFile::LoadFile(dir.path.string(), r, summary, error), -1);
    EXPECT_EQ(ConfigFile::LoadFile(dir / "none.cfg", r, summary, error), -1);
    EXPECT_EQ(ReadAll(path), kSampleFile);
}

}  // namespace
