#include "ServiceTestSupport.h"

#include "core/app/ReaderToolDlg.h"
#include "core/link/Commands.h"
#include "core/service/MonitorDlg.h"

#include <gtest/gtest.h>

namespace {

void Feed(CMonitorDlg& monitor, const Bytes& bytes) {
    monitor.OnRxBytes(bytes.data(), static_cast<int>(bytes.size()));
}

// What the main window hands the monitor for a request it transmits.
std::string TransmitText(const Bytes& payload, const char* description) {
    CFrameParser codec;
    codec.SetNodeAddress(0x01);
    Bytes buffer(CFrameParser::kMaxFrame);
    std::copy(payload.begin(), payload.end(), buffer.begin());
    const int n = codec.BuildFrame(buffer, static_cast<int>(payload.size()), 0);
    return CReaderToolDlg::BuildTrafficText(0, n, buffer.data(), description);
}

std::vector<size_t> Shown(const CMonitorDlg& monitor) {
    std::vector<size_t> shown;
    for (size_t i = 0; i < monitor.Lines().Size(); ++i) {
        if (monitor.Shows(i)) {
            shown.push_back(i);
        }
    }
    return shown;
}

TEST(MonitorSearch, StepsThroughTenThousandLinesOfABoundedList) {
    FakeMain main;
    CMonitorDlg monitor(main, [] { return int64_t{0}; });
    for (int i = 0; i < 10000; ++i) {
        Feed(monitor, Text((i % 1000 == 7 ? "Sheep " : "cow ") + std::to_string(i) + "\n"));
    }
    ASSERT_EQ(monitor.Lines().Size(), CMonitorDlg::kMaxLines);
    ASSERT_EQ(monitor.SetSearch("SHEEP", false), 0);
    // Only what the bounded list still holds: 5007 to 9007, five lines.
    EXPECT_EQ(monitor.MatchCount(), 5u);
    std::vector<std::string> found;
    for (int i = 0; i < 6; ++i) {
        found.push_back(monitor.Lines().At(static_cast<size_t>(monitor.Step(true))));
    }
    EXPECT_EQ(found.front(), "Sheep 5007<LF>");
    EXPECT_EQ(found[4], "Sheep 9007<LF>");
    EXPECT_EQ(found[5], found[0]);  // round the end
    EXPECT_EQ(monitor.Lines().At(static_cast<size_t>(monitor.Step(false))), "Sheep 9007<LF>");
    // The current match stays on its line while new lines push old ones out.
    Feed(monitor, Text("cow\n"));
    EXPECT_EQ(monitor.Lines().At(static_cast<size_t>(monitor.CurrentMatch())), "Sheep 9007<LF>");
    monitor.SetSearch("horse", false);
    EXPECT_EQ(monitor.Step(true), -1);
    // A stream of hours stays bounded, and a request sent then makes room for a hundred lines.
    EXPECT_EQ(monitor.Lines().Last(), "");
    monitor.OnTxBytes("tx");
    EXPECT_EQ(monitor.Lines().Size(), CMonitorDlg::kMaxLines - 100);
}

TEST(MonitorSearch, HexFindsBytesInHexAndAsciiLines) {
    FakeMain main;
    CMonitorDlg monitor(main, [] { return int64_t{0}; });
    const Bytes ack = AnswerWire({Cmd::kGetConfig, 0x34, 0x32});
    monitor.m_ascii = false;
    Feed(monitor, ack);
    monitor.m_ascii = true;
    Feed(monitor, ack);
    const struct {
        const char* query;
        int result;
        size_t matches;
    } cases[] = {
        {"06 29 34", 0, 2u},   // "06 29 34" in hex, "<ACK>)4" in ASCII
        {"0x06,0x29", 0, 2u},  // as a C array writes them
        {"062934", 0, 2u},     // run together
        {"6 29", 0, 2u},       // one digit is a byte
        {"f0 06 2a", 0, 0u},   // not there
        {"0g", -1, 0u},        // not bytes: no search
        {"062", -1, 0u},       // odd run: no guessing
    };
    for (const auto& c : cases) {
        EXPECT_EQ(monitor.SetSearch(c.query, true), c.result) << c.query;
        EXPECT_EQ(monitor.MatchCount(), c.matches) << c.query;
    }
}

TEST(MonitorFilter, ShowsOneKindOrOneCommand) {
    FakeMain main;
    CMonitorDlg monitor(main, [] { return int64_t{0}; });
    monitor.m_ascii = false;
    monitor.m_newLine = false;  // frame lines are taken back and continued: they keep their kind
    monitor.OnTxBytes(TransmitText({Cmd::kGetConfig, CfgAddr::kTimeout}, Desc::kReadTimeout));
    Feed(monitor, AnswerWire({Cmd::kGetConfig, 0x34, 0x32}));
    monitor.OnTxBytes(TransmitText({Cmd::kVersion}, Desc::kVersion));
    Feed(monitor, Text("984 000000004711\r"));
    Feed(monitor, AnswerWire({0x11, '0', '9', '8', '4', '0', '0',  '0', '0', '0', '0',
                              '4',  '7', '1', '1', '0', '0', 0x03, '0', '5', 0x00},
                             0x23));
    // The next batch takes the tag line back and closes it again at its STX.
    Feed(monitor, AnswerWire({Cmd::kVersion, 0x01}));
    // 0 request, 1 "00 00 " before the answer's STX, 2 answer, 3 request, 4 tag line, 5 tag frame
    // (continued by the next batch up to 100 characters), 6 the empty rest, 7 answer.
    ASSERT_EQ(monitor.Lines().Size(), 8u);
    EXPECT_EQ(monitor.Lines().At(5).substr(0, 12), "02 01 f0 23 ");
    const struct {
        CMonitorDlg::Filter filter;
        uint8_t command;
        std::vector<size_t> shown;
    } cases[] = {
        {CMonitorDlg::Filter::kAll, 0, {0, 1, 2, 3, 4, 5, 6, 7}},
        {CMonitorDlg::Filter::kTransmitted, 0, {0, 3}},
        {CMonitorDlg::Filter::kReceivedFrames, 0, {2, 5, 7}},
        {CMonitorDlg::Filter::kCommand, Cmd::kGetConfig, {0, 2}},
        {CMonitorDlg::Filter::kCommand, Cmd::kTagData, {5}},
        {CMonitorDlg::Filter::kCommand, Cmd::kVersion, {3, 7}},
    };
    for (const auto& c : cases) {
        monitor.SetFilter(c.filter, c.command);
        EXPECT_EQ(Shown(monitor), c.shown) << static_cast<int>(c.filter) << " " << int{c.command};
    }
    // 0x0A inside a frame is data, not a line end, with "New line" checked too: the answer to
    // "get SNR" (code 0x0A) stays one line and is named.
    CMonitorDlg snr(main, [] { return int64_t{0}; });
    Feed(snr, AnswerWire({Cmd::kGetSnr, 0x0A, 0x00}));
    ASSERT_EQ(snr.Lines().Size(), 3u);
    EXPECT_EQ(snr.Lines().At(1).substr(0, 16), "<STX><SOH> 0xf0 ");
    EXPECT_TRUE(snr.Lines().At(1).ends_with("<ETX> get SNR ")) << snr.Lines().At(1);
    // A search steps only through what the filter shows.
    monitor.SetFilter(CMonitorDlg::Filter::kTransmitted);
    monitor.SetSearch("02 01 f0", true);
    EXPECT_EQ(monitor.MatchCount(), 2u);
    EXPECT_EQ(monitor.Step(true), 0);
    EXPECT_EQ(monitor.Step(true), 3);
}

}  // namespace
