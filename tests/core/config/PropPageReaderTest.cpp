#include "core/config/ConfigTestSupport.h"
#include "core/config/PropPageReader.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using R = CPropPageReader;
using C = R::Controls;
using Handler = void (R::*)();

// A created page; the tables build a fresh one per row.
struct ReaderRig {
    ReaderRig() { page.OnCreate(); }
    C& F() { return page.Fields(); }

    FakeMainWindow main;
    FakePrompt prompt;
    R page{main, prompt};
};
class ReaderPageTest : public ::testing::Test, public ReaderRig {};

constexpr const char* kStartHelp = "Start character: one character, 0 to 255 or 0x00 to 0xff";

// One-item set jobs, and input refused before anything is sent.
TEST(ReaderSettingTest, EachSetButton) {
    struct Row {
        void (*enter)(C&);
        Handler press;
        int address, value;   // address -1: nothing may be sent
        const char* message;  // for a job its status; else shown for 10 ticks, empty: refused silently
    };
    const Row rows[] = {
        {[](C& c) { c.timeout = "5000"; }, &R::OnSetTimeout, 0x34, 0x32, "Set timeout"},
        {[](C& c) { c.delay = "75"; }, &R::OnSetDelay, 0x35, 0x01, "Set delaytime"},
        {[](C& c) { c.startCharacter = "0x0D"; }, &R::OnSetStartCharacter, 0x3E, 0x0D, "Set start character"},
        // Node and block read as the hex they are shown in.
        {[](C& c) { c.node = "12"; }, &R::OnSetNode, 0x36, 0x12, "Set node"},
        {[](C& c) { c.node = "0x1F"; }, &R::OnSetNode, 0x36, 0x1F, "Set node"},
        {[](C& c) { c.block = "11"; }, &R::OnSetBlock, 0x30, 0x11, "Set block"},
        {[](C& c) { c.block = "0x0a"; }, &R::OnSetBlock, 0x30, 0x0A, "Set block"},
        {[](C& c) { c.format = R::kShortAscii16; }, &R::OnSetFormat, 0x32, 0x17, "Set output format"},
        {[](C& c) { c.scpChecked = true; }, &R::OnSetFormat, 0x32, 0x21, "Set output format"},
        {[](C& c) { c.format = R::kNoFormat; }, &R::OnSetFormat, 0x32, 0x01, "Set output format"},
        {[](C& c) { c.mode = R::kSlaveRequest; }, &R::OnSetMode, 0x31, 0x02, "Set mode"},
        {[](C& c) { c.mode = R::kNoMode; }, &R::OnSetMode, 0x31, 0x00, "Set mode"},
        // The largest values that still fit into the byte, then the first that do not.
        {[](C& c) { c.timeout = "25599"; }, &R::OnSetTimeout, 0x34, 0xFF, "Set timeout"},
        {[](C& c) { c.delay = "12750"; }, &R::OnSetDelay, 0x35, 0xFF, "Set delaytime"},
        {[](C& c) { c.node = "ff"; }, &R::OnSetNode, 0x36, 0xFF, "Set node"},
        {[](C& c) { c.timeout = "30000"; }, &R::OnSetTimeout, -1, 0, "Timeout greater 25500 ms not possible"},
        {[](C& c) { c.timeout = "99999999999"; }, &R::OnSetTimeout, -1, 0,
         "Timeout greater 25500 ms not possible"},
        {[](C& c) { c.delay = "12800"; }, &R::OnSetDelay, -1, 0, "Delay time greater 12750 ms not possible"},
        {[](C& c) { c.startCharacter = "300"; }, &R::OnSetStartCharacter, -1, 0,
         "Start character greater 255 not possible"},
        {[](C& c) { c.node = "100"; }, &R::OnSetNode, -1, 0, "Node greater 255 not possible"},
        {[](C& c) { c.node = "300"; }, &R::OnProgram, -1, 0, "Node greater 255 not possible"},
        {[](C& c) { c.node = "0x"; }, &R::OnSetNode, -1, 0, "Node: a hex number such as 01 or 0x1f"},
        {[](C& c) { c.timeout = "abc"; }, &R::OnSetTimeout, -1, 0, "Timeout: milliseconds as a whole number"},
        {[](C& c) { c.delay = "-50"; }, &R::OnSetDelay, -1, 0, "Delay time: milliseconds as a whole number"},
        {[](C& c) { c.startCharacter = "ab"; }, &R::OnProgram, -1, 0, kStartHelp},  // not left out
        // Start characters not understood are refused with the forms that are (more in TextToByteAndBack).
        {[](C& c) { c.startCharacter = "0xZZ"; }, &R::OnSetStartCharacter, -1, 0, kStartHelp},
        {[](C& c) { c.delay = ""; }, &R::OnSetDelay, -1, 0, ""},
        {[](C& c) { c.block = "18"; }, &R::OnSetBlock, -1, 0, ""},
        {[](C& c) { c.block = "256"; }, &R::OnSetBlock, -1, 0, ""},  // not cut to 0 first
        {[](C& c) { c.node = ""; }, &R::OnSetNode, -1, 0, ""},
        {[](C& c) { c.serialNumber = ""; }, &R::OnSetSerialNumber, -1, 0, ""},
        {[](C& c) { c.serialNumber = "1234567"; }, &R::OnSetSerialNumber, -1, 0, ""},
    };
    for (const Row& row : rows) {
        ReaderRig r;
        row.enter(r.F());
        (r.page.*row.press)();
        EXPECT_TRUE(r.main.sent.empty()) << row.message << ": a job sends on the next tick";
        if (row.address < 0) {
            Tick(r.page, 30);
            EXPECT_TRUE(r.main.sent.empty() && r.prompt.questions.empty()) << row.message;
            EXPECT_EQ(r.page.Message(), row.message);
            EXPECT_EQ(r.page.MessageTicks(), *row.message != 0 ? 10 : 0) << row.message;
            EXPECT_EQ(r.page.FailedText(), "") << row.message << ": no request to fail";
            continue;
        }
        EXPECT_EQ(r.page.Message(), row.message);
        const auto address = static_cast<uint8_t>(row.address), value = static_cast<uint8_t>(row.value);
        const std::vector<Bytes> expected = {{0x28, address, value}, {0x29, address}};
        EXPECT_EQ(AnswerSetJob(r.main, r.page, value), expected) << row.message;
        EXPECT_EQ(r.page.Message(), std::string(row.message) + " success");
    }
}

TEST_F(ReaderPageTest, GetAllReadsFiveAddressesAndShowsThem) {
    page.OnGetAll();
    EXPECT_EQ(page.Message(), "Get all");
    EXPECT_EQ(page.ProgressHigh(), 4);
    std::vector<int> progress;
    for (const auto& [address, value] :
         {std::pair<uint8_t, uint8_t>{0x32, 0x37}, {0x36, 0x0A}, {0x35, 0x01}, {0x34, 0x32}, {0x3E, 0x0D}}) {
        Tick(page);
        ASSERT_EQ(main.Last(), (Bytes{0x29, address}));
        Answer(page, Ack(Cmd::kGetConfig, {value}));
        progress.push_back(page.ProgressPosition());
    }
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3, 0, 0}));
    EXPECT_EQ(page.Message(), "Get all success");
    Tick(page, 20);
    EXPECT_EQ(main.sent.size(), 5u);
    EXPECT_EQ(F().format, R::kShortAscii16);
    EXPECT_TRUE(F().scpChecked);
    const std::vector<std::string> shown = {F().node, F().delay, F().timeout, F().startCharacter};
    EXPECT_EQ(shown, (std::vector<std::string>{"0a", "50", "5000", "0x0d"}));
    EXPECT_FALSE(page.ProgressActive());
    page.SetView(nullptr);
    // A node read back is set again unchanged, to the same address.
    page.OnSetNode();
    Tick(page);
    EXPECT_EQ(main.Last(), (Bytes{0x28, 0x36, 0x0A}));
}

TEST_F(ReaderPageTest, PlainReadsOfTheHiddenAddressesShowInTheirControls) {
    struct Row {
        uint8_t address;
        uint8_t value;
        bool (*shows)(const C&);
    };
    const Row rows[] = {
        {0x31, 0x01, [](const C& c) { return c.mode == R::kSlaveContinuous; }},
        {0x31, 0x05, [](const C& c) { return c.mode == R::kNoMode; }},
        {0x33, 0x28,
         [](const C& c) {
             const auto& t = c.transponders;
             return !t[R::kFdxB] && !t[R::kHdx] && t[R::kH4002] && !t[R::kIso] && t[R::k125KHz];
         }},
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

TEST_F(ReaderPageTest, FormatCodeSelectsRadioAndFlagsAndScpIsOnlyForAscii) {
    // code, radio, SCP checked, SCP enabled, OFF-ID, ID-time; each row follows the one before.
    const std::vector<int> rows[] = {
        {0x37, R::kShortAscii16, 1, 0, 0, 0},  {0x21, R::kAscii, 1, 1, 0, 0},
        {0x02, R::kByteStructure, 0, 0, 0, 0}, {0xC1, R::kAscii, 0, 1, 1, 1},
        {0x05, R::kNoFormat, 0, 0, 0, 0},
    };
    for (const std::vector<int>& row : rows) {
        page.ShowFormatCode(static_cast<uint8_t>(row[0]));
        const std::vector<int> shown = {row[0],         F().format,       F().scpChecked,
                                        F().scpEnabled, F().offIdChecked, F().idTimeChecked};
        EXPECT_EQ(shown, row);
    }
    page.ShowFormatCode(0xC8);
    EXPECT_EQ(page.FormatCode(), 0xC8) << "flags read from the reader go back unchanged";

    page.ShowFormatCode(0x21);
    page.OnFormatChosen(R::kByteStructure);
    EXPECT_FALSE(F().scpChecked || F().scpEnabled);
    EXPECT_EQ(page.FormatCode(), 0x02);
    page.OnFormatChosen(R::kAscii);
    EXPECT_TRUE(F().scpEnabled);
    EXPECT_FALSE(F().scpChecked);
}

TEST(ReaderStartCharacterTest, TextToByteAndBack) {
    // -1: neither one character nor a number; above 255 is left for the caller to refuse.
    const std::pair<const char*, int> toByte[] = {
        {"I", 0x49}, {"0x0D", 0x0D}, {"x0d", 0x0D},    {"13", 13},           {"", 0},
        {"0", 0x30}, {"300", 300},   {"0x", -1},       {"ab", -1},           {"0X1FF", 0x1F},
        {"-5", -1},  {"\xFF", 0xFF}, {"\xC2\xA7", -1}, {"00000000255", 255},
        {"1a", -1},  {" 13", -1},    {"0xZZ", -1},
    };
    for (const auto& [text, value] : toByte) {
        EXPECT_EQ(R::StartCharacterValue(text), value) << "'" << text << "'";
    }
    const std::pair<uint8_t, const char*> toText[] = {
        {13, "0x0d"}, {0x49, "I"}, {32, " "}, {127, "0x7f"}, {0xFF, "0xff"}};
    for (const auto& [value, text] : toText) {
        EXPECT_EQ(R::StartCharacterText(value), text) << int(value);
    }
}

TEST_F(ReaderPageTest, VersionAndSerialNumberAnswers) {
    page.OnGetVersion();
    EXPECT_EQ(main.Last(), (Bytes{0x09}));
    // Tag data, another command's answer and a frame too short for a command end nothing.
    Answer(page, ReaderFrame(Cmd::kTagData, Cmd::kVersion, {'X'}));
    Answer(page, Ack(Cmd::kSetClock));
    const uint8_t tooShort[] = {0x02, 0x01, 0xF0, 0x06};
    page.OnAnswer(4, tooShort);
    EXPECT_EQ(page.Retries(), 3);
    EXPECT_EQ(page.Message(), "Get version");
    Answer(page, Nak(Cmd::kVersion));
    EXPECT_EQ(page.Message(), "Get version") << "a refusal is no success";
    EXPECT_EQ(page.Retries(), 3);
    Answer(page, Ack(Cmd::kVersion, {'V', '2', '.', '1', '0'}));
    EXPECT_EQ(F().version, "V2.10");
    EXPECT_EQ(page.Message(), "Get version success");

    page.OnGetSerialNumber();
    EXPECT_EQ(main.Last(), (Bytes{0x0A}));
    Answer(page, Ack(Cmd::kGetSnr, {'0', '1', '2', '3', '4', '5', '6', '7'}));
    EXPECT_EQ(F().serialNumber, "012345");
    EXPECT_EQ(page.Message(), "Get serial number success");

    // A short answer gives what it has and reads nothing past its end.
    Answer(page, Ack(Cmd::kGetSnr, {'9', '8'}));
    EXPECT_EQ(F().serialNumber, "98");
    Answer(page, Ack(Cmd::kVersion));
    EXPECT_EQ(F().version, "");
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
    for (const uint8_t stuck : {uint8_t{0}, uint8_t{0x34}}) {
        ReaderRig r;
        r.F().node = "";
        r.F().startCharacter = "0x0d";
        r.page.OnProgram();
        EXPECT_EQ(r.page.Message(), "Configure reader");
        EXPECT_EQ(r.page.ProgressHigh(), 9);  // 4 items: 2 * 4 + 1
        JobRun run;
        if (stuck != 0) {
            run.stuck[stuck] = 0x33;
        }
        run.Run(r.main, r.page, 80, true);
        const std::vector<Bytes> expected = {
            {0x28, 0x32, 0x01}, {0x28, 0x35, 0x01}, {0x28, 0x34, 0x32}, {0x28, 0x3E, 0x0D}, {0x2A},
            {0x29, 0x32},       {0x29, 0x35},       {0x29, 0x34},       {0x29, 0x3E},
        };
        ASSERT_EQ(r.main.AllBytes(), expected);
        EXPECT_EQ(r.main.sent[0].GetDescription(), "Set Configuration request");
        EXPECT_EQ(r.main.sent[4].GetDescription(), "Save configuration data request");
        const char* result = stuck != 0 ? "Configure reader failed" : "Configure reader success";
        EXPECT_EQ(run.messages, (std::map<int, std::string>{{29, result}, {69, ""}}));
        EXPECT_EQ(r.F().timeout, "5000") << "a differing read-back is not displayed";
    }
}

}  // namespace

namespace {

// With no reader each read goes out three times and is given up; the next follows on the next
// tick, every give-up says so and steps the progress bar, and the end says the run failed.
TEST_F(ReaderPageTest, GetAllWithoutAReaderGivesUpEachReadInTurn) {
    page.SetStatus("Get version", 50);
    page.OnGetAll();
    JobRun run;
    run.Run(main, page, 81, false);
    std::vector<std::pair<int, uint8_t>> reads;
    for (const auto& [tick, request] : run.sendings) {
        reads.emplace_back(tick, request.at(1));
    }
    const std::vector<std::pair<int, uint8_t>> expected = {
        {1, 0x32},  {6, 0x32},  {11, 0x32}, {17, 0x36}, {22, 0x36}, {27, 0x36}, {33, 0x35}, {38, 0x35},
        {43, 0x35}, {49, 0x34}, {54, 0x34}, {59, 0x34}, {65, 0x3E}, {70, 0x3E}, {75, 0x3E}};
    EXPECT_EQ(reads, expected);
    EXPECT_EQ(run.messages, (std::map<int, std::string>{{16, "Get all failed"}}));
    EXPECT_FALSE(page.ProgressActive());
    EXPECT_FALSE(page.ReadJobRunning());
}

}  // namespace
