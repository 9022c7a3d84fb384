// The service tools against the simulated reader and its Bluetooth module, through the engine.
#include "../core/app/AppFakes.h"
#include "SimTestSupport.h"

#include "core/link/Commands.h"
#include "core/service/BluetoothDlg.h"
#include "core/service/MemoryDlg.h"
#include "sim/SimLink.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Bytes Line(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

TEST(ServiceSim, ReaderAnswersServiceRequests) {
    const struct {
        Bytes request;
        Bytes body;  // status byte first
    } rows[] = {
        {{0x57, 0x12, 0x34, 0xA5}, {0x06, 0x57}},
        {{0x56, 0x12, 0x34}, {0x06, 0x56, 0xA5}},
        {{0x56, 0x00, 0x10}, {0x06, 0x56, 0x00}},
        {{0x9F, 0x0B, 0x00, 0x01}, {0x06, 0x9F, 0x0B, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {{0x9F, 0x28}, {0x06, 0x9F, 0x28, 0x01, 0x70}},
        {{0x9F, 0x0A}, {0x06, 0x9F, 0x0A, 0x0E, 0x80}},
        {{0x9F, 0x27}, {0x06, 0x9F, 0x27, 0x00}},
        {{0x83}, {0x06, 0x83, 0x00, 0x80}},
        {{0x55}, {0x06, 0x55, 23}},
        {{0x9F, 0x25, 0x01}, {0x06, 0x9F, 0x25}},
        {{0x9F, 0x25, 0x02}, {0x15, 0x9F, 0x25}},
        {{0x9F, 0x21}, {0x06, 0x9F, 0x21}},
        {{0x56, 0x12}, {0x15, 0x56}},
    };
    SimulatedReader reader;
    for (const auto& row : rows) {
        EXPECT_EQ(AnswerBody(reader, row.request), row.body)
            << int(row.request[0]) << " " << int(row.request[1]);
    }
    EXPECT_TRUE(reader.Hardware().GreenLed());
}

TEST(ServiceSim, ModuleAnswersAtLines) {
    const struct {
        const char* line;
        const char* answer;
    } rows[] = {
        {"AT\r", "\r\nOK\r\n"},
        {"ATS512?\r", "\r\n1\r\n"},
        {"ATS512=4\r", "\r\nOK\r\n"},
        {"ATS512?\r", "\r\n4\r\n"},
        {"ATS999?\r", "\r\nERROR\r\n"},
        {"ATS512=70000\r", "\r\nERROR\r\n"},
        {"AT+BTN=\"KZT770 000001\"\r", "\r\nOK\r\n"},
        {"AT+BTN?\r", "\r\n\"KZT770 000001\"\r\n"},
        {"AT+BTW?\r", "\r\n00126F0A1B2C\r\n"},
        {"ATZ\r", ""},
        {"AT\r", ""},  // still starting again
        {"ATD0080C8E0A1B2\r", "\r\nCONNECT 0080C8E0A1B2\r\n"},
        {"AT\r", ""},  // connected: lines are data
        {"^^^", "\r\nOK\r\n"},
        {"ATS512?\r", "\r\n1\r\n"},  // the reset brought back what was saved
    };
    SimulatedReader reader;
    for (const auto& row : rows) {
        const Bytes line = Line(row.line);
        if (std::string(row.line) == "ATD0080C8E0A1B2\r") {
            reader.Advance(BluetoothModule::kRestartMs);
        }
        reader.Receive(line.data(), line.size());
        EXPECT_EQ(reader.TakeOutput(), Line(row.answer)) << row.line;
    }
    // Routed through the reader: the acknowledge, then the module's answer.
    const Bytes out = Ask(reader, {0x59, 'A', 'T', 0x0D});
    const Received r = Decode(out);
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(Body(r.frames[0]), (Bytes{0x06, 0x59}));
    EXPECT_EQ(Bytes(out.end() - 6, out.end()), Line("\r\nOK\r\n"));
}

class ConsoleSimTest : public ::testing::Test {
protected:
    ConsoleSimTest() : link(1, 7), dlg(link, view, prompt), console(dlg, prompt), memory(dlg, prompt) {
        link.SetReceiver([this](const uint8_t* bytes, int count) { dlg.OnRxBytes(bytes, count); });
        dlg.Start(AppSettings{1, 9600, 1, 0}, {});
        dlg.Windows().Register(Caption::kBluetooth, &console);
        dlg.Windows().Register(Caption::kMemory, &memory);
    }
    void Tick(int n) {
        for (int i = 0; i < n; ++i) {
            link.Advance(100);
            dlg.OnTimer();
        }
    }

    SimLink link;
    FakeView view;
    FakePrompt prompt;
    CReaderToolDlg dlg;
    CBluetoothDlg console;
    CMemoryDlg memory;
};

TEST_F(ConsoleSimTest, ConfigurationScriptVerifiesTheModule) {
    const struct {
        const char* name;
        BluetoothModule::Faults faults;
        const char* outcome;
        int endStep;
        int delayMs = 0;  // the module's answers reach the tool this late: lines go out twice
    } rows[] = {
        {"module answers correctly", {}, CBluetoothDlg::kConfigSucceeded, 20},
        {"register 512 reads 3", {.wrongRegister = 512, .wrongValue = "3"}, CBluetoothDlg::kConfigFailed, 0},
        {"module stays silent", {.silent = true, .wrongRegister = -1, .wrongValue = {}}, "", 12},
        {"slow line", {}, CBluetoothDlg::kConfigSucceeded, 20, 650},
        {"slow line, register 560 reads 15",
         {.wrongRegister = 560, .wrongValue = "15"},
         CBluetoothDlg::kConfigFailed,
         0,
         650},
    };
    for (const auto& row : rows) {
        SimLink line(1, 7);
        FakePrompt rowPrompt;
        CReaderToolDlg engine(line, view, rowPrompt);
        CBluetoothDlg c(engine, rowPrompt);
        line.SetReceiver([&engine](const uint8_t* bytes, int count) { engine.OnRxBytes(bytes, count); });
        engine.Start(AppSettings{1, 9600, 1, 0}, {});
        engine.Windows().Register(Caption::kBluetooth, &c);
        line.Reader().Module().SetFaults(row.faults);
        line.Reader().SetFaults({.delayMs = row.delayMs});
        c.OnConfig();
        for (int i = 0; i < 300; ++i) {
            line.Advance(100);
            engine.OnTimer();
        }
        EXPECT_EQ(c.ConfigStep(), row.endStep) << row.name;
        EXPECT_EQ(c.m_scriptText, *row.outcome ? row.outcome : "Reset device") << row.name;
        EXPECT_EQ(rowPrompt.messages.size(), *row.outcome ? 1u : 0u) << row.name;
        EXPECT_EQ(c.m_counter, "202") << row.name;
    }
}

TEST_F(ConsoleSimTest, ConfiguredModuleKeepsItsSettings) {
    console.OnConfig();
    Tick(200);
    ASSERT_EQ(console.ConfigStep(), 20);
    EXPECT_EQ(console.Progress(), "step 17 of 17");
    BluetoothModule& module = link.Reader().Module();
    EXPECT_EQ(module.SavedRegister(512), 4);
    EXPECT_EQ(module.SavedRegister(560), 30);
    EXPECT_EQ(module.FriendlyName(), "KZT770 000001");
    EXPECT_EQ(module.Passkey(), "7306");
}

TEST_F(ConsoleSimTest, PairingScriptFindsTheTrustedPeer) {
    console.OnStartPairing();
    Tick(60);
    EXPECT_EQ(console.PairingStep(), 11);
    EXPECT_EQ(console.PairingPeer(), BluetoothModule::kTrustedPeer);
    EXPECT_EQ(console.m_scriptText, "Set peer address");
    EXPECT_EQ(link.Reader().Module().OutgoingPeer(), BluetoothModule::kTrustedPeer);
}

TEST_F(ConsoleSimTest, EepromDumpReadsBackWrittenBytes) {
    memory.m_address = "0013";
    memory.m_data = "5a";
    memory.OnWrite();
    Tick(2);
    memory.OnStartDump();
    Tick(40);
    ASSERT_EQ(memory.Lines().Size(), 2u);
    EXPECT_EQ(memory.Lines().At(0), "0010: 00 01 02 5a 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f");
    EXPECT_EQ(memory.Lines().At(1), "0020: 10 11 12 13 14 15 16 17 18 19 1a 1b 1c 1d 1e 1f");
}

}  // namespace
