#include "ServiceTestSupport.h"

#include "core/link/Commands.h"
#include "core/service/MonitorDlg.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Feed(CMonitorDlg& monitor, const Bytes& bytes) {
    monitor.OnRxBytes(bytes.data(), static_cast<int>(bytes.size()));
    return LinesOf(monitor.Lines());
}

TEST(MonitorDlg, ReceivedBytesBecomeLines) {
    const struct {
        const char* name;
        bool ascii;
        bool newLine;
        Bytes bytes;
        std::vector<std::string> lines;
    } rows[] = {
        // clang-format off
        {"ASCII names and other bytes", true, false, {0x1B, 0x00, 0x41, 0x06, 0x0D, 0x10, 0x03, 0x01},
         {" 0x1b  0x00 A<ACK><CR><DLE><ETX><SOH>"}},
        {"line feed kept inside without New line", true, false, {'a', 0x0A, 'b'}, {"a<LF>b"}},
        {"line feed in hex without New line", false, false, {0x41, 0x0A, 0x42}, {"41 0a 42 "}},
        {"line feed ends the line with New line", true, true, {'a', 0x0A, 'b'}, {"a<LF>", "b"}},
        {"150 printable bytes split at 100", true, false, Bytes(150, 'x'), {std::string(100, 'x'), std::string(50, 'x')}},
        // clang-format on
    };
    for (const auto& row : rows) {
        FakeMain main;
        CMonitorDlg monitor(main, [] { return int64_t{0}; });
        monitor.m_ascii = row.ascii;
        monitor.m_newLine = row.newLine;
        EXPECT_EQ(Feed(monitor, row.bytes), row.lines) << row.name;
    }
    // In hex with New line; the CRC byte is whatever the codec gives: compare around it.
    FakeMain main;
    CMonitorDlg ack(main, [] { return int64_t{0}; });
    ack.m_ascii = false;
    auto lines = Feed(ack, AnswerWire({Cmd::kGetConfig, 0x34, 0x32}));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].substr(0, 21), "02 01 f0 06 29 34 32 ");
    EXPECT_EQ(lines[1].substr(lines[1].size() - 15), "03  get config ") << "a good acknowledge ends with its name";
    EXPECT_EQ(lines[2], "") << "an empty pending line";
    lines = Feed(ack, {0x41});
    EXPECT_EQ(lines.back(), "41 ");
    EXPECT_EQ(lines.size(), 3u);
    CMonitorDlg escaped(main, [] { return int64_t{0}; });
    escaped.m_ascii = false;
    lines = Feed(escaped, AnswerWire({Cmd::kReadEeprom, 0x02}));  // the data byte travels as DLE 02
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].substr(0, 21), "02 01 f0 06 56 10 02 ") << "an escaped STX stays in its line";
}

TEST(MonitorDlg, TransmitLinesKeepTheListShort) {
    FakeMain main;
    CMonitorDlg monitor(main);
    for (int i = 1; i <= 200; ++i) {
        monitor.OnTxBytes("tx " + std::to_string(i));
    }
    EXPECT_EQ(monitor.Lines().Size(), 200u);
    monitor.OnTxBytes("tx 201");
    ASSERT_EQ(monitor.Lines().Size(), 101u);
    EXPECT_EQ(monitor.Lines().At(0), "tx 101");
    EXPECT_EQ(monitor.Lines().Last(), "tx 201");
    // The answer starts a line of its own, without an empty one between.
    const Bytes answer = {0x02, 'O', 'K'};
    monitor.OnRxBytes(answer.data(), 3);
    EXPECT_EQ(monitor.Lines().At(monitor.Lines().Size() - 2), "tx 201");
    EXPECT_EQ(monitor.Lines().Last(), "<STX>OK");
}

TEST(MonitorDlg, SaveProposesAStampedNameAndAddsTxt) {
    std::tm t{};
    t.tm_year = 126, t.tm_mon = 11, t.tm_mday = 7, t.tm_hour = 9, t.tm_min = 15, t.tm_sec = 2;
    EXPECT_EQ(CMonitorDlg::SaveName(t), "monitor-20261207-091502.txt");
    for (const auto& [chosen, saved] :
         std::vector<std::pair<std::string, std::string>>{{"/tmp/trace", "/tmp/trace.txt"},
                                                          {"/tmp/trace.log", "/tmp/trace.log"},
                                                          {"/tmp/v1.2/trace", "/tmp/v1.2/trace.txt"},
                                                          {"/tmp/.hidden", "/tmp/.hidden.txt"},
                                                          {"", ""}}) {
        EXPECT_EQ(CMonitorDlg::WithTextExtension(chosen), saved) << chosen;
    }
}

TEST(MonitorDlg, PauseHoldsWhatArrivesAndShowsItOnResume) {
    FakeMain main;
    int64_t now = 1000;
    CMonitorDlg monitor(main, [&now] { return now; });
    monitor.OnTxBytes("before");
    monitor.SetPaused(true);
    const Bytes bytes = Text("abc");
    now = 2000;
    monitor.OnRxBytes(bytes.data(), 3);
    now = 3000;
    monitor.OnTxBytes("held");
    EXPECT_EQ(monitor.Lines().Size(), 1u);
    EXPECT_EQ(monitor.PausedBytes(), 3);
    now = 9000;
    monitor.SetPaused(false);
    ASSERT_EQ(monitor.Lines().Size(), 3u);
    EXPECT_EQ(monitor.Lines().At(1), "abc");
    EXPECT_EQ(monitor.Lines().StampAt(1), 2000);
    EXPECT_EQ(monitor.Lines().At(2), "held");
    EXPECT_EQ(monitor.Lines().StampAt(2), 3000);

    // Past the bound the oldest goes, and the resumed list says how much.
    monitor.SetPaused(true);
    const Bytes block(1000, 'x');
    for (size_t held = 0; held < CMonitorDlg::kMaxHeldBytes + 3000; held += block.size()) {
        monitor.OnRxBytes(block.data(), static_cast<int>(block.size()));
    }
    monitor.SetPaused(false);
    EXPECT_EQ(monitor.Lines().At(3),
              "... paused: the first 4000 bytes received and 0 requests sent did not fit and are not shown");
    monitor.OnQuit();
    ASSERT_EQ(main.commands.size(), 1u);
    EXPECT_EQ(main.commands[0].second, Resource::kMonitor);
}

}  // namespace
