#include "ServiceTestSupport.h"

#include "core/link/Commands.h"
#include "core/service/BluetoothDlg.h"

#include <gtest/gtest.h>

namespace {

class BluetoothDlgTest : public ::testing::Test {
protected:
    void Receive(const std::string& text) {
        const Bytes bytes = Text(text);
        console.OnRxBytes(bytes.data(), static_cast<int>(bytes.size()));
    }

    FakeMain main;
    FakePrompt prompt;
    CBluetoothDlg console{main, prompt};
};

TEST_F(BluetoothDlgTest, ModuleAnswerIsShownAndHandled) {
    console.m_registerAddress = "512";
    console.OnRegisterRead();
    Receive("\r\n4\r\n");
    EXPECT_EQ(LinesOf(console.Lines()), (std::vector<std::string>{"<CR>", "<LF>4<CR><LF>"}));
    EXPECT_EQ(console.m_registerData, "4");
    EXPECT_EQ(console.m_time.substr(console.m_time.size() - 3), " ms");
    Receive("\r\nOK\r\n");
    EXPECT_EQ(console.Lines().Last(), "<LF>OK<CR><LF>");
    EXPECT_EQ(console.m_registerData, "OK");
}

// What each button puts on the line: payload, kind, description.
TEST_F(BluetoothDlgTest, ButtonsSendTheirLines) {
    using Action = void (*)(CBluetoothDlg&);
    const struct {
        const char* name;
        Action press;
        std::vector<Bytes> payloads;
        uint8_t kind;
        const char* lastDescription;
    } rows[] = {
        // clang-format off
        {"AT", [](CBluetoothDlg& c) { c.OnAt(); }, {Text("AT")}, kKindText, " AT request "},
        {"AT routed", [](CBluetoothDlg& c) { c.m_route = true, c.OnAt(); },
         {{0x59, 0x41, 0x54, 0x0D}}, kKindFrame, " AT request "},
        {"ESC", [](CBluetoothDlg& c) { c.OnEsc(); },
         {Text("^"), Text("^"), Text("^"), Text("ATH")}, kKindText, " Hang up request "},
        {"register write", [](CBluetoothDlg& c) { c.m_registerAddress = "504", c.m_registerData = "1", c.OnRegisterWrite(); },
         {Text("ATS504=1")}, kKindText, " Register request "},
        {"connect", [](CBluetoothDlg& c) { c.OnConnect(); },
         {Text(std::string("ATD") + CBluetoothDlg::kDefaultPeer)}, kKindText, " Connect request "},
        {"WLAN", [](CBluetoothDlg& c) { c.OnWlan(); },
         {{0x0A, 0xC0, 0x01, 'M', 'A', 'C', 'A', 'D', 'D', 'R', 'E', 'S', 'S', '(', ')', 0xC0, 0x0D}}, kKindRaw, " WLAN Test "},
        {"module on", [](CBluetoothDlg& c) { c.OnReaderRequest(Sub9F::kBluetoothOn); },
         {{0x9F, 0x06}}, kKindFrame, " Switch Bluetooth modul on request "},
        {"VelmoPeer", [](CBluetoothDlg& c) { c.OnReaderRequest(Sub9F::kStartBtDrop2); },
         {{0x9F, 0x22}}, kKindFrame, " Start BT drop request "},
        {"friendly name", [](CBluetoothDlg& c) { c.m_command = "Reader 7\r\nmore", c.OnSetName(); },
         {{0x9F, 0x29, 8, 'R', 'e', 'a', 'd', 'e', 'r', ' ', '7'}}, kKindFrame, " Set friendly name request "},
        {"friendly name too long", [](CBluetoothDlg& c) { c.m_command = std::string(21, 'n'), c.OnSetName(); }, {}, 0, ""},
        {"routed line too long is refused",
         [](CBluetoothDlg& c) { c.m_route = true, c.m_command = std::string(49, 'A'), c.OnSend(); }, {}, 0, ""},
        // clang-format on
    };
    for (const auto& row : rows) {
        FakeMain m;
        CBluetoothDlg c(m, prompt);
        row.press(c);
        EXPECT_EQ(m.Payloads(), row.payloads) << row.name;
        if (!m.queued.empty()) {
            EXPECT_EQ(m.queued.back().GetKind(), row.kind) << row.name;
            EXPECT_EQ(m.queued.back().GetDescription(), row.lastDescription) << row.name;
            EXPECT_EQ(m.queued.back().IsRepeat(), 0) << row.name;
        }
    }
    EXPECT_EQ(prompt.messages.size(), 1u);
}

TEST_F(BluetoothDlgTest, TestModeHoldsTheScripts) {
    console.OnStartPairing();
    console.m_test = true;
    for (int i = 0; i < 5; ++i) {
        console.OnTick();
    }
    EXPECT_EQ(console.PairingStep(), 1);
    EXPECT_EQ(main.Payloads(), std::vector<Bytes>(5, Text("AT")));
    console.m_test = false;
    console.OnTick();
    EXPECT_EQ(console.PairingStep(), 2);
    EXPECT_EQ(console.m_scriptText, "Send escape sequence");
}

// On a slow line the script sends a line again before its answer came, and the reader's tags
// (whose bytes may hold an LF) arrive between the module's lines: neither may pass for the value
// of the register being verified.
TEST_F(BluetoothDlgTest, ScriptVerifiesEachRegisterWithItsOwnAnswer) {
    auto tickUntil = [&](const std::string& line) {
        for (int i = 0; i < 60; ++i) {
            const size_t before = main.queued.size();
            console.OnTick();
            if (main.queued.size() > before && FakeMain::Payload(main.queued.back()) == Text(line)) {
                return true;
            }
        }
        return false;
    };
    const Bytes tag = AnswerWire({0x23, 0x0A, 0x41, 0x0A, 0x0D});
    console.OnConfig();
    ASSERT_TRUE(tickUntil("ATZ"));
    Receive("\r\nOK\r\n");  // AT&W
    ASSERT_TRUE(tickUntil("AT"));
    ASSERT_TRUE(tickUntil("AT"));  // the module was still starting again
    Receive("\r\nOK\r\n");
    console.OnRxBytes(tag.data(), static_cast<int>(tag.size()));
    Receive("\r\nOK\r\n");  // the first AT's, late
    for (const auto& [query, value] : {std::pair{"ATS504?", "1"}, {"ATS507?", "1"}, {"ATS512?", "4"}, {"ATS513?", "0"}}) {
        ASSERT_TRUE(tickUntil(query)) << query;
        console.OnRxBytes(tag.data(), static_cast<int>(tag.size()));
        Receive(std::string("\r\n") + value + "\r\n");
    }
    ASSERT_TRUE(tickUntil("ATS514?"));
    ASSERT_TRUE(tickUntil("ATS514?"));
    Receive("\r\n30\r\n");
    Receive("\r\nOK\r\n");
    Receive("\r\n30\r\n");  // the first query's, late: not register 560's value
    ASSERT_TRUE(tickUntil("ATS560?"));
    EXPECT_EQ(console.ConfigStep(), 19);
    Receive("\r\n15\r\n");
    EXPECT_EQ(console.ConfigStep(), 0);
    EXPECT_EQ(console.m_scriptText, CBluetoothDlg::kConfigFailed);
}

TEST_F(BluetoothDlgTest, SimulationAnswersAtLinesAfterTheBatch) {
    console.m_simulation = true;
    Receive("AT\rAT+BTN?\rATX\r");
    ASSERT_EQ(main.sentNow.size(), 1u);
    EXPECT_EQ(FakeMain::Payload(main.sentNow[0]), Text("\r\n\"KZT770 000100\"\r\n"));
    EXPECT_EQ(main.sentNow[0].GetDescription(), " answer ");
    EXPECT_EQ(main.sentNow[0].GetKind(), kKindText);
}

}  // namespace
