#include "core/config/ConfigTestSupport.h"
#include "core/config/PropPageReader.h"
#include "core/link/Commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using Reader = CPropPageReader;

class ReaderPageTest : public ::testing::Test {
protected:
    void SetUp() override { page.OnCreate(); }
    Reader::Controls& F() { return page.Fields(); }

    FakeMainWindow main;
    FakePrompt prompt;
    Reader page{main, prompt};
};

using Text = std::string Reader::Controls::*;
using Handler = void (Reader::*)();

TEST_F(ReaderPageTest, SettingsGoOutAsOneItemJobs) {
    struct Row {
        Text field;
        const char* text;
        Handler handler;
        const char* status;
        Bytes set;
    };
    const Row rows[] = {
        {&Reader::Controls::timeout, "5000", &Reader::OnSetTimeout, "Set timeout", {0x28, 0x34, 0x32}},
        {&Reader::Controls::delay, "75", &Reader::OnSetDelay, "Set delaytime", {0x28, 0x35, 0x01}},
        {&Reader::Controls::delay, "120", &Reader::OnSetDelay, "Set delaytime", {0x28, 0x35, 0x02}},
        {&Reader::Controls::startCharacter,
         "I",
         &Reader::OnSetStartCharacter,
         "Set start character",
         {0x28, 0x3E, 0x49}},
        {&Reader::Controls::startCharacter,
         "0x0D",
         &Reader::OnSetStartCharacter,
         "Set start character",
         {0x28, 0x3E, 0x0D}},
        {&Reader::Controls::startCharacter,
         "x0d",
         &Reader::OnSetStartCharacter,
         "Set start character",
         {0x28, 0x3E, 0x0D}},
        {&Reader::Controls::startCharacter,
         "13",
         &Reader::OnSetStartCharacter,
         "Set start character",
         {0x28, 0x3E, 0x0D}},
        {&Reader::Controls::node, "18", &Reader::OnSetNode, "Set node", {0x28, 0x36, 0x12}},
        {&Reader::Controls::block, "17", &Reader::OnSetBlock, "Set block", {0x28, 0x30, 0x11}},
        {nullptr, "ASCII", &Reader::OnSetFormat, "Set output format", {0x28, 0x32, 0x01}},
        {nullptr, "Short ASCII 16", &Reader::OnSetFormat, "Set output format", {0x28, 0x32, 0x17}},
        {nullptr, "ASCII with SCP", &Reader::OnSetFormat, "Set output format", {0x28, 0x32, 0x21}},
        {nullptr, "none checked", &Reader::OnSetFormat, "Set output format", {0x28, 0x32, 0x01}},
        {nullptr, "Slave Request", &Reader::OnSetMode, "Set mode", {0x28, 0x31, 0x02}},
        {nullptr, "no mode", &Reader::OnSetMode, "Set mode", {0x28, 0x31, 0x00}},
    };
    for (const Row& row : rows) {
        FakeMainWindow m;
        Reader p(m, prompt);
        p.OnCreate();
        const std::string text = row.text;
        if (row.field != nullptr) {
            p.Fields().*row.field = text;
        } else if (text == "Short ASCII 16") {
            p.OnFormatChosen(Reader::kShortAscii16);
        } else if (text == "ASCII with SCP") {
            p.Fields().scpChecked = true;
        } else if (text == "none checked") {
            p.Fields().format = Reader::kNoFormat;
        } else if (text == "Slave Request") {
            p.Fields().mode = Reader::kSlaveRequest;
        } else if (text == "no mode") {
            p.Fields().mode = Reader::kNoMode;
        }
        (p.*row.handler)();
        EXPECT_EQ(p.Message(), row.status) << text;
        EXPECT_TRUE(m.sent.empty()) << text << ": the job sends on the next tick";
        Tick(p);
        ASSERT_EQ(m.sent.size(), 1u) << text;
        EXPECT_EQ(m.Last(), row.set) << text;
        EXPECT_EQ(m.sent[0].GetDescription(), "Set Configuration request");
        Answer(p, Ack(Cmd::kSetConfig));
        Tick(p, 5);
        ASSERT_EQ(m.sent.size(), 2u) << text;
        EXPECT_EQ(m.Last(), (Bytes{0x29, row.set[1]})) << text;
        EXPECT_EQ(m.sent[1].GetDescription(), "Read configuration request");
    }
}

TEST_F(ReaderPageTest, RefusedInputSendsNothing) {
    struct Row {
        Text field;
        const char* text;
        Handler handler;
    };
    const Row rows[] = {
        {&Reader::Controls::delay, "", &Reader::OnSetDelay},
        {&Reader::Controls::timeout, "", &Reader::OnSetTimeout},
        {&Reader::Controls::timeout, "abc", &Reader::OnSetTimeout},
        {&Reader::Controls::delay, "-50", &Reader::OnSetDelay},
        {&Reader::Controls::block, "18", &Reader::OnSetBlock},
        {&Reader::Controls::serialNumber, "", &Reader::OnSetSerialNumber},
        {&Reader::Controls::serialNumber, "1234567", &Reader::OnSetSerialNumber},
    };
    for (const Row& row : rows) {
        FakeMainWindow m;
        FakePrompt pr;
        Reader p(m, pr);
        p.OnCreate();
        p.Fields().*row.field = row.text;
        (p.*row.handler)();
        Tick(p, 30);
        EXPECT_TRUE(m.sent.empty()) << row.text;
        EXPECT_EQ(p.Message(), "") << row.text;
        EXPECT_TRUE(pr.questions.empty()) << row.text;
    }
}

TEST_F(ReaderPageTest, ReadBackComparesWithWhatWasSet) {
    struct Row {
        uint8_t readBack;
        const char* message;
    };
    const Row rows[] = {{0x32, "Set timeout success"}, {0x33, "Set timeout failed"}};
    for (const Row& row : rows) {
        FakeMainWindow m;
        Reader p(m, prompt);
        p.OnCreate();
        p.Fields().timeout = "5000";
        p.OnSetTimeout();
        Tick(p);
        Answer(p, Ack(Cmd::kSetConfig));
        Tick(p, 5);
        Answer(p, Ack(Cmd::kGetConfig, {row.readBack}));
        EXPECT_EQ(p.Message(), row.message);
        EXPECT_EQ(p.MessageTicks(), 40);
        EXPECT_EQ(p.Fields().timeout, "5000") << "a set job's read-back is not displayed";
    }
}

TEST_F(ReaderPageTest, GetAllReadsFiveAddressesAndShowsThem) {
    page.OnGetAll();
    EXPECT_EQ(page.ProgressHigh(), 4);
    EXPECT_TRUE(page.ProgressActive());
    struct Row {
        uint8_t address;
        uint8_t value;
    };
    const Row rows[] = {{0x32, 0x37}, {0x36, 0x0A}, {0x35, 0x01}, {0x34, 0x32}, {0x3E, 0x0D}};
    for (const Row& row : rows) {
        Tick(page);
        ASSERT_EQ(main.Last(), (Bytes{0x29, row.address}));
        Answer(page, Ack(Cmd::kGetConfig, {row.value}));
    }
    Tick(page, 20);
    EXPECT_EQ(main.sent.size(), 5u);
    EXPECT_EQ(F().format, Reader::kShortAscii16);
    EXPECT_TRUE(F().scpChecked);
    EXPECT_EQ(F().node, "0a");
    EXPECT_EQ(F().delay, "50");
    EXPECT_EQ(F().timeout, "5000");
    EXPECT_EQ(F().startCharacter, "0x0d");
    EXPECT_EQ(page.Message(), "") << "a plain read shows no message";
    EXPECT_FALSE(page.ProgressActive());
}

TEST_F(ReaderPageTest, PlainReadsOfTheHiddenAddressesShowInTheirControls) {
    struct Row {
        uint8_t address;
        uint8_t value;
        std::function<bool(const Reader::Controls&)> shows;
    };
    const Row rows[] = {
        {0x30, 0x11, [](const Reader::Controls& c) { return c.block == "11"; }},
        {0x31, 0x01, [](const Reader::Controls& c) { return c.mode == Reader::kSlaveContinuous; }},
        {0x31, 0x05, [](const Reader::Controls& c) { return c.mode == Reader::kNoMode; }},
        {0x33, 0x28,
         [](const Reader::Controls& c) {
             return !c.transponders[Reader::kFdxB] && !c.transponders[Reader::kHdx] &&
                    c.transponders[Reader::kH4002] && !c.transponders[Reader::kIso] &&
                    c.transponders[Reader::k125KHz];
         }},
        {0x3E, 0x49, [](const Reader::Controls& c) { return c.startCharacter == "I"; }},
    };
    for (const Row& row : rows) {
        FakeMainWindow m;
        Reader p(m, prompt);
        p.OnCreate();
        p.ResetJobs();
        p.AddCheckItem(row.address);
        Tick(p);
        ASSERT_EQ(m.Last(), (Bytes{0x29, row.address}));
        Answer(p, Ack(Cmd::kGetConfig, {row.value}));
        EXPECT_TRUE(row.shows(p.Fields())) << std::hex << int(row.address) << " " << int(row.value);
    }
}

TEST_F(ReaderPageTest, FormatCodeReadSelectsRadioAndFlags) {
    struct Row {
        uint8_t code;
        int format;
        bool scp, offId, idTime;
    };
    const Row rows[] = {
        {0x37, Reader::kShortAscii16, true, false, false},
        {0x07, Reader::kShortAscii15, false, false, false},
        {0x17, Reader::kShortAscii16, false, false, false},
        {0x02, Reader::kByteStructure, false, false, false},
        {0x09, Reader::kCustomFormat, false, false, false},
        {0xC1, Reader::kAscii, false, true, true},
        {0x05, Reader::kNoFormat, false, false, false},
        {0x0A, Reader::kNoFormat, false, false, false},
        {0x00, Reader::kNoFormat, false, false, false},
    };
    for (const Row& row : rows) {
        page.ShowFormatCode(row.code);
        EXPECT_EQ(F().format, row.format) << std::hex << int(row.code);
        EXPECT_EQ(F().scpChecked, row.scp) << std::hex << int(row.code);
        EXPECT_EQ(F().offIdChecked, row.offId) << std::hex << int(row.code);
        EXPECT_EQ(F().idTimeChecked, row.idTime) << std::hex << int(row.code);
    }
    // Flags read from the reader go back unchanged.
    page.ShowFormatCode(0xC8);
    EXPECT_EQ(page.FormatCode(), 0xC8);
}

TEST_F(ReaderPageTest, ChoosingAFormatOtherThanAsciiClearsAndLocksScp) {
    F().scpChecked = true;
    page.OnFormatChosen(Reader::kByteStructure);
    EXPECT_FALSE(F().scpChecked);
    EXPECT_FALSE(F().scpEnabled);
    EXPECT_EQ(page.FormatCode(), 0x02);
    page.OnFormatChosen(Reader::kAscii);
    EXPECT_TRUE(F().scpEnabled);
    EXPECT_FALSE(F().scpChecked);
}

TEST(ReaderStartCharacterTest, TextToByte) {
    struct Row {
        const char* text;
        uint8_t value;
    };
    const Row rows[] = {
        {"I", 0x49}, {"0x0D", 0x0D}, {"x0d", 0x0D}, {"13", 13}, {"0x41", 0x41}, {"", 0},
        {"0", 0x30}, {"300", 44},    {"0x", 0},     {"X7", 7},  {"ab", 0},      {"0X1FF", 0x1F},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Reader::StartCharacterByte(row.text), row.value) << "'" << row.text << "'";
    }
}

TEST(ReaderStartCharacterTest, ByteToText) {
    struct Row {
        uint8_t value;
        const char* text;
    };
    const Row rows[] = {{13, "0x0d"}, {0x49, "I"},   {31, "0x1f"},  {32, " "},
                        {126, "~"},   {127, "0x7f"}, {0xFF, "0xff"}};
    for (const Row& row : rows) {
        EXPECT_EQ(Reader::StartCharacterText(row.value), row.text) << int(row.value);
    }
}

TEST_F(ReaderPageTest, VersionAndSerialNumberAnswers) {
    page.OnGetVersion();
    EXPECT_EQ(main.Last(), (Bytes{0x09}));
    EXPECT_EQ(main.sent.back().GetDescription(), " Get version request ");
    Answer(page, Ack(Cmd::kVersion, {'V', '2', '.', '1', '0'}));
    EXPECT_EQ(F().version, "V2.10");
    EXPECT_EQ(page.Message(), "Get version success");
    EXPECT_EQ(page.Retries(), 0);

    page.OnGetSerialNumber();
    EXPECT_EQ(main.Last(), (Bytes{0x0A}));
    EXPECT_EQ(main.sent.back().GetDescription(), " Get snr request ");
    Answer(page, Ack(Cmd::kGetSnr, {'0', '1', '2', '3', '4', '5', '6', '7'}));
    EXPECT_EQ(F().serialNumber, "012345");
    EXPECT_EQ(page.Message(), "Get serial number success");

    // A short answer gives what it has and reads nothing past its end.
    Answer(page, Ack(Cmd::kGetSnr, {'9', '8'}));
    EXPECT_EQ(F().serialNumber, "98");
    Answer(page, Ack(Cmd::kVersion));
    EXPECT_EQ(F().version, "");
}

TEST_F(ReaderPageTest, TagDataAndForeignAnswersAreIgnored) {
    page.OnGetVersion();
    Answer(page, ReaderFrame(Cmd::kTagData, Cmd::kVersion, {'X'}));
    Answer(page, Ack(Cmd::kSetClock));
    const uint8_t tooShort[] = {0x02, 0x01, 0xF0, 0x06};
    page.OnAnswer(4, tooShort);
    EXPECT_EQ(page.Retries(), 3);
    EXPECT_EQ(page.Message(), "Get version");
}

TEST_F(ReaderPageTest, SettingTheSerialNumberAsksFirst) {
    F().serialNumber = "123";
    prompt.answer = false;
    page.OnSetSerialNumber();
    EXPECT_TRUE(main.sent.empty());
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0], "Sure to set serial number?");

    prompt.answer = true;
    page.OnSetSerialNumber();
    ASSERT_EQ(main.sent.size(), 1u);
    EXPECT_EQ(main.Last(), (Bytes{0x80, '0', '0', '0', '1', '2', '3'}));
    EXPECT_EQ(main.sent[0].GetDescription(), " Set snr request ");
    EXPECT_EQ(page.Message(), "Set serial number");
}

TEST_F(ReaderPageTest, ProgramWritesStoresAndReadsBack) {
    F().node = "";
    F().startCharacter = "0x0d";
    page.OnProgram();
    EXPECT_EQ(page.Message(), "Configure reader");
    EXPECT_EQ(page.ProgressHigh(), 9);  // 4 items: 2 * 4 + 1
    std::vector<Bytes> seen;
    std::vector<std::string> descriptions;
    for (int t = 0; t < 80; ++t) {
        const size_t before = main.sent.size();
        Tick(page);
        if (main.sent.size() == before) {
            continue;
        }
        const Bytes b = main.Last();
        seen.push_back(b);
        descriptions.push_back(main.sent.back().GetDescription());
        if (b[0] == Cmd::kGetConfig) {
            const uint8_t values[] = {0x01, 0x01, 0x32, 0x0D};
            Answer(page, Ack(Cmd::kGetConfig, {values[seen.size() - 6]}));
        } else {
            Answer(page, Ack(b[0]));
        }
    }
    const std::vector<Bytes> expected = {
        {0x28, 0x32, 0x01}, {0x28, 0x35, 0x01}, {0x28, 0x34, 0x32}, {0x28, 0x3E, 0x0D}, {0x2A},
        {0x29, 0x32},       {0x29, 0x35},       {0x29, 0x34},       {0x29, 0x3E},
    };
    EXPECT_EQ(seen, expected);
    ASSERT_EQ(descriptions.size(), 9u);
    EXPECT_EQ(descriptions[4], "Save configuration data request");
    EXPECT_EQ(page.FailedText(), "Configure reader failed");
    EXPECT_EQ(page.SuccessText(), "Configure reader success");
    EXPECT_FALSE(page.Mismatch());
}

TEST_F(ReaderPageTest, RecordFillAndShow) {
    F().format = Reader::kShortAscii16;
    F().timeout = "5000";
    F().startCharacter = "x0d";
    ConfigRecord record;
    EXPECT_EQ(page.FillRecord(record), 0);
    EXPECT_EQ(record.format, 0x17);
    EXPECT_EQ(record.timeout, 50);
    EXPECT_EQ(record.startCharacter, 0x0D);

    ConfigRecord shown;
    shown.format = 0x21;
    shown.timeout = 12;
    shown.startCharacter = 'S';
    shown.version = "V3.00";
    shown.serialNumber = "000777";
    page.ShowRecord(shown);
    EXPECT_EQ(F().format, Reader::kAscii);
    EXPECT_TRUE(F().scpChecked);
    EXPECT_EQ(F().timeout, "1200");
    EXPECT_EQ(F().startCharacter, "S");
    EXPECT_EQ(F().version, "V3.00");
    EXPECT_EQ(F().serialNumber, "000777");
}

}  // namespace
