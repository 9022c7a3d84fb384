// The console's pairing and configuration scripts: a line a tick, paced by the module's answers.
#include "core/service/BluetoothDlg.h"

#include "core/util/Format.h"

namespace {

constexpr int kScriptWait = 4;
// How long the script waits, from the last answer, for answers still owed to repeated lines.
constexpr int kLateWaitTicks = 10;

struct Verify {
    const char* line;
    const char* description;
    const char* expected;
};

// Steps 14 to 19 of the configuration script.
constexpr Verify kVerify[] = {
    {"ATS504?", " Verify register 504 ", "1"},  {"ATS507?", " Verify register 507 ", "1"},
    {"ATS512?", " Verify register 512 ", "4"},  {"ATS513?", " Verify register 513 ", "0"},
    {"ATS514?", " Verify register 514 ", "30"}, {"ATS560?", " Verify register 560 ", "30"},
};

struct ConfigLine {
    const char* text;  // shown in the script text edit; nullptr leaves it
    const char* line;
    const char* description;
};

// Steps 4 to 10.
constexpr ConfigLine kSetup[] = {
    {"Set passkey to 7306", "AT+BTK=\"7306\"", " Set passkey request "},
    {"Suppress connection based messages", "ATS504=1", " Suppress connection based messages "},
    {"Drop connection by escape sequence or DSR", "ATS507=1", " Drop connection by escape sequence or DSR "},
    {"Connectable and discoverable", "ATS512=4", " Connectable and discoverable "},
    {"Disable pairing authentication", "ATS513=0", " Disable pairing authentication "},
    {"Pairing timeout = 30s", "ATS514=30", " Pairing timeout = 30s "},
    {"Disconnect timeout = 30s", "ATS560=30", " Disconnect timeout = 30s "},
};

}  // namespace

void CBluetoothDlg::HandleAnswer(const std::string& answer) {
    m_time = Format("%6.2f ms", m_stopwatch.ElapsedMs());
    if (m_lastClass == kClassAt && m_background == 1) {
        m_background = 2;
    }
    if (m_lastClass == kClassRegisterRead) {
        m_registerData = answer;
    }
    if (m_pairingStep == 7) {
        m_scriptText = answer;
        if (answer.size() == 12) {
            m_pairingPeer = answer;
            m_pairingStep = 8;
        }
    }
    if (m_configStep == 0) {
        return;
    }
    // A register query answers a value or ERROR; an OK answers some earlier line.
    const bool queryAnswer = answer != "OK";
    if (m_lateAnswers > 0 && (queryAnswer || m_sentStep == 13)) {
        // Taken as a value, a late answer to the previous query would verify the wrong register.
        --m_lateAnswers;
        m_waitTicks = m_lateAnswers > 0 ? kLateWaitTicks : 0;
        return;
    }
    const bool verifying = m_configStep >= 14 && m_configStep <= kLastConfigStep;
    if (verifying && !queryAnswer) {
        return;
    }
    m_waitTicks = 0;
    if (m_configStep >= 13 && m_configStep == m_sentStep && m_stepSends > 1) {
        m_lateAnswers = m_stepSends - 1;
        m_waitTicks = kLateWaitTicks;
    }
    if (m_configStep == 12 || m_configStep == 13) {
        ++m_configStep;
    } else if (verifying) {
        if (answer != kVerify[m_configStep - 14].expected) {
            m_pendingMessage = kConfigFailed;
            m_scriptText = kConfigFailed;
            m_configStep = 0;
            return;
        }
        if (++m_configStep > kLastConfigStep) {
            m_pendingMessage = kConfigSucceeded;
            m_scriptText = kConfigSucceeded;
            return;
        }
    }
}

void CBluetoothDlg::OnTick() {
    if (m_waitTicks > 0) {
        --m_waitTicks;
    } else if (m_background == 1) {
        SendLine("AT", " AT request ", kClassAt);
    } else if (m_background == 2) {
        SendCrLine("ATD" + m_connectAddress, " Connect request ", kClassDial);
        m_background = 0;
    } else if (m_test) {
        SendLine("AT", " AT request ", kClassAt);
    } else if (m_pairingStep != 0) {
        RunPairingStep();
    } else if (m_configStep != 0) {
        RunConfigStep();
    }
}

void CBluetoothDlg::RunPairingStep() {
    switch (m_pairingStep) {
        case 1:
            m_scriptText = "Send escape sequence";
            [[fallthrough]];
        case 2:
        case 3:
            SendLine("^", " ESC request ", kClassEscape);
            ++m_pairingStep;
            break;
        case 4:
            m_scriptText = "Drop connection";
            SendLine("ATH", " Hang up request ", kClassScript);
            m_pairingStep = 5;
            m_waitTicks = 10;
            break;
        case 5:
            m_scriptText = "Reset device";
            SendLine("ATZ", " reset device request ", kClassScript);
            m_pairingStep = 6;
            m_waitTicks = 15;
            break;
        case 6:
            m_scriptText = "Wait for data";
            m_pairingStep = 7;
            break;
        case 7:
            SendLine("AT+BTW?", " list cached trusted device request ", kClassScript);
            break;
        case 8:
            m_scriptText = "Clear devices";
            SendLine("AT+BTD*", " clear all trusted devices request ", kClassScript);
            m_pairingStep = 9;
            break;
        case 9:
            m_scriptText = "Add device";
            SendLine("AT+BTT", " add trusted device request ", kClassScript);
            m_pairingStep = 10;
            break;
        case 10:
            m_scriptText = "Set peer address";
            SendLine("AT+BTR" + m_pairingPeer, " set outgoing peer address request ", kClassScript);
            m_pairingStep = 11;
            m_waitTicks = 4;
            break;
        default:
            break;
    }
}

void CBluetoothDlg::ScriptLine(const std::string& text, const std::string& description) {
    SendLine(text, description, kClassScript);
    m_waitTicks = kScriptWait;
}

void CBluetoothDlg::RunConfigStep() {
    const int step = m_configStep;
    m_lateAnswers = 0;
    m_stepSends = step == m_sentStep ? m_stepSends + 1 : 1;
    m_sentStep = step;
    if (step == 3) {
        ScriptLine(std::string("AT+BTN=") + kFriendlyName, " Set friendly name nvm request ");
        m_configStep = 4;
        int counter = 0;
        ParseInt(m_counter, counter);
        m_counter = Format("%d", counter + 1);
    } else if (step >= 4 && step <= 10) {
        const ConfigLine& c = kSetup[step - 4];
        m_scriptText = c.text;
        ScriptLine(c.line, c.description);
        m_configStep = step + 1;
    } else if (step == 11) {
        m_scriptText = "Write S register to non volatile memory";
        ScriptLine("AT&W", " Write S register to non volatile memory request ");
        m_scriptText = "Reset device";
        ScriptLine("ATZ", " Reset device ");
        m_configStep = 12;
    } else if (step == 12) {
        m_scriptText = "Reset device";
        ScriptLine("ATZ", " Reset device ");
    } else if (step == 13) {
        ScriptLine("AT", " AT request ");
    } else if (step >= 14 && step <= kLastConfigStep) {
        if (step == 14) {
            m_scriptText = "Verify registers";
        }
        ScriptLine(kVerify[step - 14].line, kVerify[step - 14].description);
    }
    ShowConfigStep(step);
}

void CBluetoothDlg::ShowConfigStep(int step) {
    if (step >= kFirstConfigStep && step <= kLastConfigStep) {
        m_progress =
            Format("step %d of %d", step - kFirstConfigStep + 1, kLastConfigStep - kFirstConfigStep + 1);
    }
}
