#include "core/link/Commands.h"
#include "core/link/Telegram.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Held(const CTelegram& t) {
    return {t.Data(), t.Data() + t.GetLength()};
}

CTelegram Filled(int count) {
    CTelegram t;
    for (int i = 0; i < count; ++i) {
        t.AppendByte(static_cast<uint8_t>(i));
    }
    return t;
}

}  // namespace

TEST(Telegram, ConstructedAndResetRecordsAgree) {
    // The constructor form and the reset forms give the same record.
    const CTelegram built(Cmd::kAdditional, Desc::kSetSwitchOffTime, kKindFrame);
    CTelegram reset = Filled(5);
    reset.SetDescription("old");
    EXPECT_EQ(reset.AppendByte(Cmd::kAdditional, 1, kKindFrame, Desc::kSetSwitchOffTime), 0);
    CTelegram inserted = Filled(3);
    EXPECT_EQ(inserted.InsertByte(0, Cmd::kAdditional, 1, kKindFrame, Desc::kSetSwitchOffTime), 0);
    for (const CTelegram* t : std::initializer_list<const CTelegram*>{&built, &reset, &inserted}) {
        EXPECT_EQ(Held(*t), Bytes{0x60});
        EXPECT_EQ(t->GetDescription(), " Set switch off time request ");
        EXPECT_EQ(t->GetKind(), kKindFrame);
        EXPECT_EQ(t->IsRepeat(), 1);
    }
}

TEST(Telegram, CapacityLimits) {
    CTelegram full = Filled(199);
    EXPECT_EQ(full.AppendWord(1), -1);
    EXPECT_EQ(full.AppendByte(0xAA), 0);
    EXPECT_EQ(full.AppendByte(0xBB), -1);
    EXPECT_EQ(full.InsertByte(0, 0xBB), -1);
    EXPECT_EQ(full.GetLength(), 200);
    EXPECT_EQ(full.Byte(199), 0xAA);
    EXPECT_EQ(full.AppendByte(Cmd::kVersion, 1, kKindFrame, Desc::kVersion), 0);
    EXPECT_EQ(Held(full), Bytes{0x09});
    EXPECT_EQ(full.Byte(199), 0x00) << "bytes behind the length are no longer held";
    EXPECT_EQ(full.Byte(-1), 0x00);

    const Bytes block(10, 0x5A);
    CTelegram t = Filled(190);
    EXPECT_EQ(t.AppendBlock(block.data(), 10), -1);
    EXPECT_EQ(t.AppendBlock(block.data(), -1), -1);
    EXPECT_EQ(t.AppendBlock(block.data(), 9), 0);
    EXPECT_EQ(t.GetLength(), 199) << "refused blocks add nothing";
    EXPECT_EQ(t.AppendBlock(block.data(), std::numeric_limits<int>::max()), -1) << "no overflow";
    EXPECT_EQ(t.Byte(198), 0x5A);
}

TEST(Telegram, InsertedBytesAndWords) {
    const std::pair<int, Bytes> cases[] = {
        {0, {'Y', 'A', 'T'}}, {1, {'A', 'Y', 'T'}}, {2, {'A', 'T', 'Y'}}, {9, {'A', 'T', 'Y'}}};
    for (const auto& [position, expected] : cases) {
        CTelegram t;
        t.AppendByte('A');
        t.AppendByte('T');
        EXPECT_EQ(t.InsertByte(position, 'Y'), 0);
        EXPECT_EQ(Held(t), expected) << position;
    }
    CTelegram t(Cmd::kAdditional, Desc::kSetSwitchOffTime);
    t.AppendByte(Sub60::kSetSwitchOffTime);
    EXPECT_EQ(t.AppendWord(3000), 0);
    EXPECT_EQ(Held(t), (Bytes{0x60, 0x15, 0x0B, 0xB8})) << "words travel high byte first";
}

TEST(Telegram, ClearKeepsKindRepeatAndStaleBytesAndTheRecordCarriesAll) {
    CTelegram t = Filled(200);
    t.SetDescription("old");
    t.SetKind(kKindText);
    t.ClearRepeat();
    EXPECT_EQ(t.Clear(), 0);
    EXPECT_EQ(t.GetLength(), 0);
    EXPECT_EQ(t.GetDescription(), "");
    t.AppendByte(0x77);
    t.SetDescription(" Show event request ");

    TelegramRecord record;
    EXPECT_EQ(t.CopyToRecord(record), 0);
    EXPECT_EQ(record.length, 1);
    EXPECT_EQ(record.description, " Show event request ");
    EXPECT_EQ(record.kind, kKindText);
    EXPECT_EQ(record.repeat, 0);
    EXPECT_EQ(Bytes(record.data.begin(), record.data.begin() + 3), (Bytes{0x77, 0x01, 0x02}));
    EXPECT_EQ(record.data[199], 199);
}
