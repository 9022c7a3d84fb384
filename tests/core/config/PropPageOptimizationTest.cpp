#include "core/config/ConfigTestSupport.h"
#include "core/config/PropPageOptimization.h"

#include <gtest/gtest.h>

namespace {

using Opt = CPropPageOptimization;

TEST(OptimizationPageTest, SetSendsTheSettingAndComparesTheReadBack) {
    struct Row {
        int setting;
        uint8_t sent;
        uint8_t readBack;
        const char* message;
    };
    const Row rows[] = {
        {Opt::kMedian, 0x02, 0x02, "Set optimization parameter success"},
        {Opt::kMedian, 0x02, 0x01, "Set optimization parameter failed"},
        {Opt::kNoSetting, 0x00, 0x00, "Set optimization parameter success"},
    };
    for (const Row& row : rows) {
        FakeMainWindow main;
        Opt page(main);
        page.OnCreate();
        page.SetSetting(row.setting);
        page.OnSet();
        EXPECT_EQ(page.Message(), "Set optimization parameter");
        const std::vector<Bytes> sent = {{0x28, 0x39, row.sent}, {0x29, 0x39}};
        EXPECT_EQ(AnswerSetJob(main, page, row.readBack), sent);
        EXPECT_EQ(page.Message(), row.message);
        EXPECT_EQ(page.Setting(), row.setting) << "a set job's read-back leaves the radio buttons";
    }
}

TEST(OptimizationPageTest, GetShowsTheReadSetting) {
    const std::pair<Bytes, int> rows[] = {
        {Ack(Cmd::kGetConfig, {0x03}), Opt::kVariableTiming},
        {Ack(Cmd::kGetConfig, {0x07}), Opt::kHighNoise},  // unknown to the reader
        {Nak(Cmd::kGetConfig, {0x02}), Opt::kMedian},     // not shown, repeated
        // Tag data whose length byte equals the command code: neither shown nor ending the request.
        {ReaderFrame(CFrameParser::kTagData, Cmd::kGetConfig, {0x03}), Opt::kMedian},
    };
    for (const auto& [frame, shown] : rows) {
        FakeMainWindow main;
        Opt page(main);
        page.OnCreate();
        page.SetSetting(Opt::kMedian);
        page.OnGet();
        EXPECT_EQ(page.Message(), "Get optimization parameter");
        Tick(page);
        ASSERT_EQ(main.Last(), (Bytes{0x29, 0x39}));
        EXPECT_EQ(main.LastText(), "Read configuration request");
        Answer(page, frame);
        const bool ack = frame[3] == CFrameParser::kAck;
        EXPECT_EQ(page.Setting(), shown) << int(frame[5]);
        EXPECT_EQ(page.Message(), ack ? "Get optimization parameter success" : "Get optimization parameter");
        EXPECT_EQ(page.Retries(), ack ? 0 : 3);
    }
}

TEST(OptimizationPageTest, StoreConfiguration) {
    FakeMainWindow main;
    Opt page(main);
    page.OnCreate();
    page.OnStoreConfig();
    EXPECT_EQ(main.Last(), (Bytes{0x2A}));
    Answer(page, Ack(Cmd::kSaveConfig));
    EXPECT_EQ(page.Message(), "Save configuration success");
}

}  // namespace
