// The service tools against the simulated reader and its Bluetooth module, through the engine.
#include "SimTestSupport.h"
#include "TagTestSupport.h"

#include "core/link/Commands.h"
#include "core/service/BluetoothDlg.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Bytes Line(const std::string& text) {
    return Bytes(text.begin(), text.end());
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

// The engine with the Bluetooth console on it.
struct ConsoleRig : TagRig {
    ConsoleRig() : console(engine, prompt) { engine.Windows().Register(Caption::kBluetooth, &console); }
    CBluetoothDlg console;
};

TEST(ConsoleSim, ConfigurationScriptVerifiesTheModule) {
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
        {"slow, 560 reads 15",
         {.wrongRegister = 560, .wrongValue = "15"},
         CBluetoothDlg::kConfigFailed,
         0,
         650},
    };
    for (const auto& row : rows) {
        ConsoleRig rig;
        rig.link.Reader().Module().SetFaults(row.faults);
        rig.link.Reader().SetFaults({.delayMs = row.delayMs});
        rig.console.OnConfig();
        rig.Tick(300);
        EXPECT_EQ(rig.console.ConfigStep(), row.endStep) << row.name;
        EXPECT_EQ(rig.console.m_scriptText, *row.outcome ? row.outcome : "Reset device") << row.name;
        EXPECT_EQ(rig.prompt.messages.size(), *row.outcome ? 1u : 0u) << row.name;
        EXPECT_EQ(rig.console.m_counter, "202") << row.name;
        if (row.endStep == 20) {  // a configured module keeps its settings
            const BluetoothModule& module = rig.link.Reader().Module();
            EXPECT_EQ(rig.console.Progress(), "step 17 of 17") << row.name;
            EXPECT_EQ(module.SavedRegister(512), 4) << row.name;
            EXPECT_EQ(module.SavedRegister(560), 30) << row.name;
            EXPECT_EQ(module.FriendlyName(), "KZT770 000001") << row.name;
            EXPECT_EQ(module.Passkey(), "7306") << row.name;
        }
    }
}

TEST(ConsoleSim, PairingScriptFindsTheTrustedPeer) {
    ConsoleRig rig;
    rig.console.OnStartPairing();
    rig.Tick(60);
    EXPECT_EQ(rig.console.PairingStep(), 11);
    EXPECT_EQ(rig.console.PairingPeer(), BluetoothModule::kTrustedPeer);
    EXPECT_EQ(rig.console.m_scriptText, "Set peer address");
    EXPECT_EQ(rig.link.Reader().Module().OutgoingPeer(), BluetoothModule::kTrustedPeer);
}

}  // namespace
