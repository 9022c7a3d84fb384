#include "ServiceTestSupport.h"

#include "core/link/Commands.h"
#include "core/service/LcdDlg.h"
#include "core/service/Max884Dlg.h"
#include "core/service/MemoryDlg.h"

#include <gtest/gtest.h>

namespace {

void Answer(IToolWindow& window, Bytes body) {
    const Bytes frame = RoutedFrame(std::move(body));
    window.OnResponse(frame.data(), static_cast<int>(frame.size()));
}

TEST(LcdDlg, ContrastOnlyWithinRange) {
    const struct {
        int position, delta;
        std::vector<Bytes> sent;
    } rows[] = {{0, 1, {{0x54, 1}}}, {15, 1, {}}, {0, -1, {}}, {15, -1, {{0x54, 14}}}};
    for (const auto& row : rows) {
        FakeMain main;
        CLcdDlg lcd(main);
        lcd.OnContrastStep(row.position, row.delta);
        EXPECT_EQ(main.Payloads(), row.sent) << row.position << " " << row.delta;
    }
}

TEST(LcdDlg, ButtonsAndAnswers) {
    FakeMain main;
    CLcdDlg lcd(main);
    lcd.OnButton(CLcdDlg::kGreenOff);
    lcd.OnButton(CLcdDlg::kGetTemperature);
    lcd.OnButton(CLcdDlg::kGetUAnt);
    EXPECT_EQ(main.Payloads(), (std::vector<Bytes>{{0x9F, 0x25, 0x00}, {0x55}, {0x83}}));
    EXPECT_EQ(main.queued[0].GetDescription(), " Set blue led off request ");
    EXPECT_EQ(main.queued[0].IsRepeat(), 0);
    EXPECT_NE(main.queued[1].IsRepeat(), 0);  // only the temperature request is repeated

    const struct {
        Bytes body;
        std::string voltage, type, antenna;
    } rows[] = {
        {{0x9F, 0x28, 0x01, 0x80}, "  1.88V", "Unknown adapter", ""},
        {{0x9F, 0x28, 0x01, 0x70}, "  1.80V", "Bluetooth adapter", ""},
        {{0x9F, 0x28, 0x01, 0xCC}, "  2.25V", "RS232 adapter", ""},
        {{0x83, 0x00, 0x00}, "", "", " 67.10V"},
        {{0x83, 0x00, 0xFF}, "", "", "546.50V"},
    };
    for (const auto& row : rows) {
        CLcdDlg fresh(main);
        Answer(fresh, row.body);
        EXPECT_EQ(fresh.m_adapterVoltage, row.voltage);
        EXPECT_EQ(fresh.m_adapterType, row.type);
        EXPECT_EQ(fresh.m_antenna, row.antenna);
    }
    Answer(lcd, {0x9F, 0x0A, 0x0E, 0x80});
    Answer(lcd, {0x9F, 0x27, 0x05});
    Answer(lcd, {0x55, 0x17});
    EXPECT_EQ(lcd.m_battery, "3712");
    EXPECT_EQ(lcd.m_key, "5");
    EXPECT_EQ(lcd.m_temperature, "");
}

TEST(MemoryDlg, SingleBytesAreCheckedBeforeSending) {
    const struct {
        const char* address;
        const char* data;
        bool write;
        std::vector<Bytes> sent;
        const char* message;
    } rows[] = {
        {"1f", "", false, {{0x56, 0x00, 0x1F}}, nullptr},
        {"12345", "", false, {}, "Invalid address"},
        {"0g10", "", false, {}, "Invalid address"},
        {"10", "7", true, {{0x57, 0x00, 0x10, 0x07}}, nullptr},
        {"10", "", true, {}, "Invalid data"},
        {"10", "100", true, {}, "Invalid data"},
    };
    for (const auto& row : rows) {
        FakeMain main;
        FakePrompt prompt;
        CMemoryDlg memory(main, prompt);
        memory.m_address = row.address;
        memory.m_data = row.data;
        row.write ? memory.OnWrite() : memory.OnRead();
        EXPECT_EQ(main.Payloads(), row.sent) << row.address;
        EXPECT_EQ(prompt.messages.empty() ? "" : prompt.messages[0].first, row.message ? row.message : "")
            << row.address;
        if (!row.write && !main.queued.empty()) {
            EXPECT_EQ(main.queued[0].GetDescription(), "Read externall eeprom request at address 001f");
        }
    }
}

TEST(MemoryDlg, DumpsOneRequestPerTick) {
    FakeMain main;
    FakePrompt prompt;
    CMemoryDlg memory(main, prompt);
    memory.OnStartDump();  // defaults 1 and 2: 0x0010 to 0x002F
    for (int i = 0; i < 40; ++i) {
        memory.OnTick();
        if (i < 32) {
            Answer(memory, {0x56, static_cast<uint8_t>(0x10 + i)});
        }
    }
    ASSERT_EQ(main.queued.size(), 32u);
    EXPECT_EQ(FakeMain::Payload(main.queued[31]), (Bytes{0x56, 0x00, 0x2F}));
    ASSERT_EQ(memory.Lines().Size(), 2u);
    EXPECT_EQ(memory.Lines().At(0), "0010: 10 11 12 13 14 15 16 17 18 19 1a 1b 1c 1d 1e 1f");
    EXPECT_EQ(memory.m_data, "2f");

    memory.m_start = "3";
    memory.m_end = "3";
    memory.OnGetDatasets();
    memory.OnTick();
    EXPECT_EQ(FakeMain::Payload(main.queued.back()), (Bytes{0x9F, 0x0B, 0x00, 0x03}));
    Bytes record{0x9F, 0x0B};
    for (uint8_t i = 0; i < 16; ++i) {
        record.push_back(i);
    }
    Answer(memory, record);
    EXPECT_EQ(memory.Lines().Last(), "0030: 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f");

    const size_t before = main.queued.size();
    memory.m_start = "5";
    memory.m_end = "4";
    memory.OnStartDump();
    memory.m_end = "";
    memory.OnGetDatasets();
    memory.OnTick();
    EXPECT_EQ(main.queued.size(), before);
    // Lines past the 16-bit address space, and numbers whose x 16 overflows, dump nothing.
    for (const char* end : {"4096", "200000000"}) {
        memory.m_start = "4095";
        memory.m_end = end;
        memory.OnStartDump();
        memory.OnTick();
        EXPECT_EQ(main.queued.size(), before) << end;
    }
    // A dataset's line names its own address, also beyond 16 bits.
    memory.m_start = "4097";
    memory.m_end = "4097";
    memory.OnGetDatasets();
    memory.OnTick();
    EXPECT_EQ(FakeMain::Payload(main.queued.back()), (Bytes{0x9F, 0x0B, 0x10, 0x01}));
    Answer(memory, record);
    EXPECT_EQ(memory.Lines().Last(), "10010: 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f");
}

// The main window's queue is busy: the dump waits for each answer, or gives it up, and every
// byte still lands under its own address.
TEST(MemoryDlg, DumpWaitsForItsAnswers) {
    FakeMain main;
    FakePrompt prompt;
    CMemoryDlg memory(main, prompt);
    memory.m_end = "1";
    memory.OnStartDump();
    for (int i = 0; i < 5; ++i) {
        memory.OnTick();
    }
    ASSERT_EQ(main.Payloads(), (std::vector<Bytes>{{0x56, 0x00, 0x10}}));
    Answer(memory, {0x56, 0xA0});
    for (int i = 0; i < 15 + CMemoryDlg::kAnswerTicks; ++i) {
        memory.OnTick();  // 0x0011 is never answered
        if (main.queued.size() > 2) {
            Answer(memory, {0x56, static_cast<uint8_t>(0xA0 + main.queued.back().Byte(2) - 0x10)});
        }
    }
    ASSERT_EQ(main.queued.size(), 16u);
    ASSERT_EQ(memory.Lines().Size(), 1u);
    EXPECT_EQ(memory.Lines().At(0), "0010: a0 00 a2 a3 a4 a5 a6 a7 a8 a9 aa ab ac ad ae af");
}

TEST(Max884Dlg, FindsTheClosestPair) {
    const struct {
        const char *vout, *rpMin, *rpMax, *rnMax;
        int result;
        const char *rpSoll, *r2, *r3, *rpIst, *voutResult;
    } rows[] = {
        // clang-format off
        {"4.0", "100000", "1000000", "1000000", 0, "428571.43", "820000.00", "820000.00", "410000.00", " 4.13"},
        {"4.0", "100000", "410000", "1000000", 0, "428571.43", "820000.00", "820000.00", "410000.00", " 4.13"},
        {"4.0", "410000", "1000000", "1000000", 0, "428571.43", "820000.00", "820000.00", "410000.00", " 4.13"},
        {"4.0", "100000", "1000000", "0.5", -1, "428571.43", "", "", "", ""},
        {"1.0", "100000", "1000000", "1000000", -1, "", "", "", "", ""},
        // clang-format on
    };
    for (const auto& row : rows) {
        CMax884Dlg calc;
        FakePrompt prompt;
        calc.m_vout = "4.0";
        calc.OnCalc(prompt);  // results an invalid input must clear
        calc.m_vout = row.vout;
        calc.m_rpMin = row.rpMin;
        calc.m_rpMax = row.rpMax;
        calc.m_rnMax = row.rnMax;
        EXPECT_EQ(calc.OnCalc(prompt), row.result) << row.vout << " " << row.rpMin;
        EXPECT_EQ(calc.m_rpSoll, row.rpSoll);
        EXPECT_EQ(calc.m_r2, row.r2);
        EXPECT_EQ(calc.m_r3, row.r3);
        EXPECT_EQ(calc.m_rpIst, row.rpIst);
        EXPECT_EQ(calc.m_voutResult, row.voutResult);
        EXPECT_EQ(prompt.messages.size(), std::string(row.vout) == "1.0" ? 1u : 0u);
    }
    CMax884Dlg calc;
    FakePrompt prompt;
    calc.m_rpMax = "lots";
    EXPECT_EQ(calc.OnCalc(prompt), -1);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].first, "RP max (Ohm) is not a number");
    EXPECT_EQ(calc.m_r2, "");
}

}  // namespace
