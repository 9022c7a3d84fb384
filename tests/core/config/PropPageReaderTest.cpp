#include "core/config/ConfigTestSupport.h"
#include "core/config/PropPageReader.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using R = CPropPageReader;
using C = R::Controls;
using Handler = void (R::*)();

class ReaderPageTest : public ::testing::Test {
protected:
    void SetUp() override { page.OnCreate(); }
    C& F() { return page.Fields(); }

    FakeMainWindow main;
    FakePrompt prompt;
    R page{main, prompt};
};

TEST(ReaderSettingTest, SettingsGoOutAsOneItemJobs) {
    struct Row {
        void (*enter)(C&);
        Handler press;
        const char* status;
        uint8_t address, value;
    };
    const Row rows[] = {
        {[](C& c) { c.timeout = "5000"; }, &R::OnSetTimeout, "Set timeout", 0x34, 0x32},
        {[](C& c) { c.delay = "75"; }, &R::OnSetDelay, "Set delaytime", 0x35, 0x01},
        {[](C& c) { c.delay = "120"; }, &R::OnSetDelay, "Set delaytime", 0x35, 0x02},
        {[](C& c) { c.startCharacter = "0x0D"; }, &R::OnSetStartCharacter, "Set start character", 0x3E, 0x0D},
        {[](C& c) { c.node = "18"; }, &R::OnSetNode, "Set node", 0x36, 0x12},
        {[](C& c) { c.block = "17"; }, &R::OnSetBlock, "Set block", 0x30, 0x11},
        {[](C&) {}, &R::OnSetFormat, "Set output format", 0x32, 0x01},
        {[](C& c) { c.format = R::kShortAscii16; }, &R::OnSetFormat, "Set output format", 0x32, 0x17},
        {[](C& c) { c.scpChecked = true; }, &R::OnSetFormat, "Set output format", 0x32, 0x21},
        {[](C& c) { c.format = R::kNoFormat; }, &R::OnSetFormat, "Set output format", 0x32, 0x01},
        {[](C& c) { c.mode = R::kSlaveRequest; }, &R::OnSetMode, "Set mode", 0x31, 0x02},
        {[](C& c) { c.mode = R::kNoMode; }, &R::OnSetMode, "Set mode", 0x31, 0x00},
        // The largest values that still fit into the byte.
        {[](C& c) { c.timeout = "25599"; }, &R::OnSetTimeout, "Set timeout", 0x34, 0xFF},
        {[](C& c) { c.delay = "12750"; }, &R::OnSetDelay, "Set delaytime", 0x35, 0xFF},
        {[](C& c) { c.node = "255"; }, &R::OnSetNode, "Set node", 0x36, 0xFF},
        {[](C& c) { c.startCharacter = "\xA7"; }, &R::OnSetStartCharacter, "Set start character", 0x3E, 0xA7},
    };
    for (const Row& row : rows) {
        FakeMainWindow m;
        FakePrompt pr;
        R p(m, pr);
        p.OnCreate();
        row.enter(p.Fields());
        (p.*row.press)();
        EXPECT_EQ(p.Message(), row.status);
        EXPECT_TRUE(m.sent.empty()) << row.status << ": the job sends on the next tick";
        const std::vector<Bytes> expected = {{0x28, row.address, row.value}, {0x29, row.address}};
        EXPECT_EQ(AnswerSetJob(m, p, row.value), expected) << row.status;
        EXPECT_EQ(p.Message(), std::string(row.status) + " success");
        EXPECT_EQ(p.MessageTicks(), 40);
    }
}

TEST(ReaderSettingTest, RefusedInputSendsNothing) {
    struct Row {
        void (*enter)(C&);
        Handler press;
        const char* message;  // shown for 40 ticks; empty: refused without a word
    };
    const Row rows[] = {
        {[](C& c) { c.delay = ""; }, &R::OnSetDelay, ""},
        {[](C& c) { c.timeout = ""; }, &R::OnSetTimeout, ""},
        {[](C& c) { c.timeout = "abc"; }, &R::OnSetTimeout, ""},
        {[](C& c) { c.delay = "-50"; }, &R::OnSetDelay, ""},
        {[](C& c) { c.block = "18"; }, &R::OnSetBlock, ""},
        {[](C& c) { c.block = "256"; }, &R::OnSetBlock, ""},  // not cut to 0 first
        {[](C& c) { c.node = ""; }, &R::OnSetNode, ""},
        {[](C& c) { c.startCharacter = "ab"; }, &R::OnSetStartCharacter, ""},
        {[](C& c) { c.startCharacter = "\xC2\xA7"; }, &R::OnSetStartCharacter, ""},  // two bytes
        {[](C& c) { c.serialNumber = ""; }, &R::OnSetSerialNumber, ""},
        {[](C& c) { c.serialNumber = "1234567"; }, &R::OnSetSerialNumber, ""},
        {[](C& c) { c.timeout = "30000"; }, &R::OnSetTimeout, "Timeout greater 25500 ms not possible"},
        {[](C& c) { c.timeout = "99999999999"; }, &R::OnSetTimeout, "Timeout greater 25500 ms not possible"},
        {[](C& c) { c.delay = "12800"; }, &R::OnSetDelay, "Delay time greater 12750 ms not possible"},
        {[](C& c) { c.startCharacter = "300"; }, &R::OnSetStartCharacter,
         "Start character greater 255 not possible"},
        {[](C& c) { c.node = "256"; }, &R::OnSetNode, "Node greater 255 not possible"},
        {[](C& c) { c.timeout = "30000"; }, &R::OnProgram, "Timeout greater 25500 ms not possible"},
        {[](C& c) { c.node = "300"; }, &R::OnProgram, "Node greater 255 not possible"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        FakeMainWindow m;
        FakePrompt pr;
        R p(m, pr);
        p.OnCreate();
        rows[i].enter(p.Fields());
        (p.*rows[i].press)();
        Tick(p, 30);
        EXPECT_TRUE(m.sent.empty()) << i;
        EXPECT_EQ(p.Message(), rows[i].message) << i;
        EXPECT_EQ(p.MessageTicks(), *rows[i].message != 0 ? 10 : 0) << i;
        EXPECT_EQ(p.FailedText(), "") << i << ": no request to fail";
        EXPECT_TRUE(pr.questions.empty()) << i;
    }
}

TEST_F(ReaderPageTest, DifferingReadBackFailsAndIsNotDisplayed) {
    F().timeout = "5000";
    page.OnSetTimeout();
    AnswerSetJob(main, page, 0x33);
    EXPECT_EQ(page.Message(), "Set timeout failed");
    EXPECT_EQ(F().timeout, "5000");
}

TEST_F(ReaderPageTest, GetAllReadsFiveAddressesAndShowsThem) {
    page.OnGetAll();
    EXPECT_EQ(page.ProgressHigh(), 4);
    EXPECT_TRUE(page.ProgressActive());
    for (const auto& [address, value] :
         {std::pair<uint8_t, uint8_t>{0x32, 0x37}, {0x36, 0x0A}, {0x35, 0x01}, {0x34, 0x32}, {0x3E, 0x0D}}) {
        Tick(page);
        ASSERT_EQ(main.Last(), (Bytes{0x29, address}));
        Answer(page, Ack(Cmd::kGetConfig, {value}));
    }
    Tick(page, 20);
    EXPECT_EQ(main.sent.size(), 5u);
    EXPECT_EQ(F().format, R::kShortAscii16);
    EXPECT_TRUE(F().scpChecked);
    const std::vector<std::string> shown = {F().node, F().delay, F().timeout, F().startCharacter};
    EXPECT_EQ(shown, (std::vector<std::string>{"0a", "50", "5000", "0x0d"}));
    EXPECT_EQ(page.Message(), "") << "a plain read shows no message";
    EXPECT_FALSE(page.ProgressActive());
}

TEST_F(ReaderPageTest, PlainReadsOfTheHiddenAddressesShowInTheirControls) {
    struct Row {
        uint8_t address;
        uint8_t value;
        bool (*shows)(const C&);
    };
    const Row rows[] = {
        {0x30, 0x11, [](const C& c) { return c.block == "11"; }},
        {0x31, 0x01, [](const C& c) { return c.mode == R::kSlaveContinuous; }},
        {0x31, 0x05, [](const C& c) { return c.mode == R::kNoMode; }},
        {0x33, 0x28,
         [](const C& c) {
             const auto& t = c.transponders;
             return !t[R::kFdxB] && !t[R::kHdx] && t[R::kH4002] && !t[R::kIso] && t[R::k125KHz];
         }},
        {0x3E, 0x49, [](const C& c) { return c.startCharacter == "I"; }},
    };
    for (const Row& row : rows) {
        page.OnCreate();
        page.ResetJobs();
        page.AddCheckItem(row.address);
        Tick(page);
        ASSERT_EQ(main.Last(), (Bytes{0x29, row.address}));
        Answer(page, Ack(Cmd::kGetConfig, {row.value}));
        EXPECT_TRUE(row.shows(F())) << std::hex << int(row.address) << " " << int(row.value);
    }
}

TEST_F(ReaderPageTest, FormatCodeReadSelectsRadioAndFlags) {
    // code, radio, SCP checked, SCP enabled, OFF-ID, ID-time; each row follows the one before.
    const std::vector<int> rows[] = {
        {0x37, R::kShortAscii16, 1, 0, 0, 0}, {0x07, R::kShortAscii15, 0, 0, 0, 0},
        {0x21, R::kAscii, 1, 1, 0, 0},        {0x02, R::kByteStructure, 0, 0, 0, 0},
        {0x09, R::kCustomFormat, 0, 0, 0, 0}, {0xC1, R::kAscii, 0, 1, 1, 1},
        {0x17, R::kShortAscii16, 0, 0, 0, 0}, {0x05, R::kNoFormat, 0, 0, 0, 0},
        {0x0A, R::kNoFormat, 0, 0, 0, 0},     {0x00, R::kNoFormat, 0, 0, 0, 0},
    };
    for (const std::vector<int>& row : rows) {
        page.ShowFormatCode(static_cast<uint8_t>(row[0]));
        const std::vector<int> shown = {row[0],         F().format,       F().scpChecked,
                                        F().scpEnabled, F().offIdChecked, F().idTimeChecked};
        EXPECT_EQ(shown, row);
    }
    // Flags read from the reader go back unchanged.
    page.ShowFormatCode(0xC8);
    EXPECT_EQ(page.FormatCode(), 0xC8);
}

TEST_F(ReaderPageTest, ChoosingAFormatOtherThanAsciiClearsAndLocksScp) {
    F().scpChecked = true;
    page.OnFormatChosen(R::kByteStructure);
    EXPECT_FALSE(F().scpChecked);
    EXPECT_FALSE(F().scpEnabled);
    EXPECT_EQ(page.FormatCode(), 0x02);
    page.OnFormatChosen(R::kAscii);
    EXPECT_TRUE(F().scpEnabled);
    EXPECT_FALSE(F().scpChecked);
}

TEST(ReaderStartCharacterTest, TextToByteAndBack) {
    // -1: neither one character nor a number; above 255 is left for the caller to refuse.
    const std::pair<const char*, int> toByte[] = {
        {"I", 0x49}, {"0x0D", 0x0D}, {"x0d", 0x0D}, {"13", 13},       {"0x41", 0x41},       {"", 0},
        {"0", 0x30}, {"300", 300},   {"0x", -1},    {"X7", 7},        {"ab", -1},           {"0X1FF", 0x1F},
        {"-5", -1},  {"\xFF", 0xFF}, {"0xZZ", -1},  {"\xC2\xA7", -1}, {"00000000255", 255},
    };
    for (const auto& [text, value] : toByte) {
        EXPECT_EQ(R::StartCharacterValue(text), value) << "'" << text << "'";
    }
    const std::pair<uint8_t, const char*> toText[] = {{13, "0x0d"}, {0x49, "I"},   {31, "0x1f"},  {32, " "},
                                                      {126, "~"},   {127, "0x7f"}, {0xFF, "0xff"}};
    for (const auto& [value, text] : toText) {
        EXPECT_EQ(R::StartCharacterText(value), text) << int(value);
    }
}

TEST_F(ReaderPageTest, VersionAndSerialNumberAnswers) {
    page.OnGetVersion();
    EXPECT_EQ(main.Last(), (Bytes{0x09}));
    Answer(page, Ack(Cmd::kVersion, {'V', '2', '.', '1', '0'}));
    EXPECT_EQ(F().version, "V2.10");
    EXPECT_EQ(page.Message(), "Get version success");

    page.OnGetSerialNumber();
    EXPECT_EQ(main.Last(), (Bytes{0x0A}));
    EXPECT_EQ(main.LastText(), " Get snr request ");
    Answer(page, Ack(Cmd::kGetSnr, {'0', '1', '2', '3', '4', '5', '6', '7'}));
    EXPECT_EQ(F().serialNumber, "012345");
    EXPECT_EQ(page.Message(), "Get serial number success");
    EXPECT_EQ(page.Retries(), 0);

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
    EXPECT_EQ(prompt.questions, (std::vector<std::string>{"Sure to set serial number?"}));

    prompt.answer = true;
    page.OnSetSerialNumber();
    EXPECT_EQ(main.AllBytes(), (std::vector<Bytes>{{0x80, '0', '0', '0', '1', '2', '3'}}));
    EXPECT_EQ(main.LastText(), " Set snr request ");
    EXPECT_EQ(page.Message(), "Set serial number");
}

TEST(ReaderProgramTest, ProgramWritesStoresAndReadsBack) {
    const std::pair<uint8_t, const char*> rows[] = {{0, "Configure reader success"},
                                                    {0x34, "Configure reader failed"}};  // timeout stuck
    for (const auto& [stuck, result] : rows) {
        FakeMainWindow main;
        FakePrompt prompt;
        R page(main, prompt);
        page.OnCreate();
        page.Fields().node = "";
        page.Fields().startCharacter = "0x0d";
        page.OnProgram();
        EXPECT_EQ(page.Message(), "Configure reader");
        EXPECT_EQ(page.ProgressHigh(), 9);  // 4 items: 2 * 4 + 1
        JobRun run;
        if (stuck != 0) {
            run.stuck[stuck] = 0x33;
        }
        run.Run(main, page, 80, true);
        const std::vector<Bytes> expected = {
            {0x28, 0x32, 0x01}, {0x28, 0x35, 0x01}, {0x28, 0x34, 0x32}, {0x28, 0x3E, 0x0D}, {0x2A},
            {0x29, 0x32},       {0x29, 0x35},       {0x29, 0x34},       {0x29, 0x3E},
        };
        ASSERT_EQ(main.AllBytes(), expected);
        EXPECT_EQ(main.sent[4].GetDescription(), "Save configuration data request");
        // The result stays for 40 ticks, then the line is cleared.
        EXPECT_EQ(run.messages, (std::map<int, std::string>{{29, result}, {69, ""}}));
        EXPECT_EQ(page.Mismatch(), stuck != 0);
    }
}

}  // namespace
