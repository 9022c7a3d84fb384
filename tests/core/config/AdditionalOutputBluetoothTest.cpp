#include "core/config/ConfigPages.h"
#include "core/config/ConfigTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class PageTest : public ::testing::Test {
protected:
    PageTest() {
        for (CConfigPage* page : {static_cast<CConfigPage*>(&add), static_cast<CConfigPage*>(&out),
                                  static_cast<CConfigPage*>(&bt)}) {
            page->SetPrompt(&prompt);
            page->OnCreate();
        }
    }
    FakeMainWindow main;
    FakePrompt prompt;
    CAdditional add{main};
    CPropPageOutputFormat out{main};
    CPropPageBluetooth bt{main};
};

TEST_F(PageTest, AdditionalPermanentReadFromSliderAndDuration) {
    const struct {
        int slider;
        const char* minutes;
        std::vector<std::string> readsBreakBursts;
    } rows[] = {{10, "1", {"5", "0", "120"}}, {0, "1", {"5", "500", "60"}}, {5, "90", {"5", "250", "7200"}}};
    for (const auto& row : rows) {
        add.Fields().duration = row.minutes;
        add.OnSlider(row.slider);
        const auto& f = add.Fields();
        EXPECT_EQ((std::vector<std::string>{f.reads, f.breakTime, f.bursts}), row.readsBreakBursts)
            << row.slider;
    }
    add.OnDurationStep(+5);  // stays at 90
    EXPECT_EQ(add.Fields().duration, "90");
    add.Fields().syncLevel = "0.00";
    add.OnSyncLevelStep(-1);
    EXPECT_EQ(add.Fields().syncLevel, "0.10");
    add.Fields().syncLevel = "4.95";
    add.OnSyncLevelStep(+2);
    EXPECT_EQ(add.Fields().syncLevel, "5.00");
}

TEST_F(PageTest, AdditionalSendsOrRefuses) {
    const struct {
        const char* switchOff;
        Bytes sent;
        const char* message;
    } rows[] = {{"7", {0x60, 0x15, 0x02, 0xBC}, nullptr},
                {"4", {}, "Values smaller 5 s not possible"},
                {"601", {}, "Values greater 600 s not possible"},
                {"", {}, "Values greater 600 s not possible"},
                {"65541", {}, "Values greater 600 s not possible"}};
    for (const auto& row : rows) {
        main.sent.clear();
        prompt.messages.clear();
        add.Fields().switchOff = row.switchOff;
        add.OnSetSwitchOff();
        EXPECT_EQ(main.Last(), row.sent) << row.switchOff;
        EXPECT_EQ(prompt.messages,
                  row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{});
    }
    add.Fields().syncLevel = "2.00";
    add.OnSyncOn();
    EXPECT_EQ(main.Last(), (Bytes{0x60, 0x21, 0x66}));
    EXPECT_EQ(main.LastText(), " Wireless sync level configuration request ");
    add.OnSyncOff();
    EXPECT_EQ(main.Last(), (Bytes{0x60, 0x21, 0x00}));
    Answer(add, Ack(0x60, {0x17}));  // another page's acknowledge
    EXPECT_EQ(add.Retries(), 3);
    Answer(add, Ack(0x60, {0x21}));
    EXPECT_EQ(add.Message(), "Configuration success");
}

// Each group's own request, with values whose byte order and bit order show.
TEST_F(PageTest, AdditionalGroupsSendTheirBytes) {
    using A = CAdditional;
    // clang-format off
    const struct { std::function<void(A::Controls&)> set; void (A::*button)(); Bytes sent; } rows[] = {
        {[](A::Controls& c) { c.breakTime = "300", c.bursts = "4660", c.reads = "7", c.active = true; },
         &A::OnSetPermanentRead, {0x60, 0x11, 0x01, 0x2C, 0x12, 0x34, 0x07, 0x01}},
        {[](A::Controls& c) { c.useBeeper = true; }, &A::OnSetIo, {0x60, 0x16, 0x01}},
        {[](A::Controls& c) { c.useLeds = true; }, &A::OnSetIo, {0x60, 0x16, 0x02}},
        {[](A::Controls& c) { c.doubleReads = "4660"; }, &A::OnSetDoubleReads, {0x60, 0x1D, 0x12, 0x34}},
        {[](A::Controls& c) { c.display = A::kTagInfo; }, &A::OnSetDisplayInfo, {0x60, 0x1F, 0x01}},
        {[](A::Controls& c) { c.display = A::kNoDisplay; }, &A::OnSetDisplayInfo, {0x60, 0x1F}},
    };
    // clang-format on
    for (const auto& row : rows) {
        add.OnCreate();
        row.set(add.Fields());
        (add.*row.button)();
        EXPECT_EQ(main.Last(), row.sent);
    }
}

TEST_F(PageTest, AdditionalShowsTheBlock) {
    Answer(add, Ack(0x60, {0x14, 0x00, 0x00, 0x00, 0x78, 5, 1, 0x75, 0x30, 102, 2,
                           0,    1,    0,    0,    0,    0, 0, 0x00, 0x20, 2}));
    const auto& f = add.Fields();
    EXPECT_EQ(f.display, CAdditional::kAnimalCounter);
    EXPECT_EQ((std::vector<std::string>{f.switchOff, f.syncLevel, f.doubleReads, f.duration}),
              (std::vector<std::string>{"300", "2.00", "32", "1"}));
    EXPECT_TRUE(f.useLeds && !f.useBeeper && f.highPower && f.active);
    EXPECT_EQ(f.accessLevel, 0);
    EXPECT_EQ(add.Message(), "Additonal configuration received");
    // Found by fuzzing: 64004 bursts and a 53762 ms break, whose duration overflowed an int.
    Answer(add, Ack(0x60, {0x14, 0xD2, 0x02, 0xFA, 0x04, 0x05, 0x2B, 0x08, 0x0C, 0x0F, 0x10,
                           0x11, 0x12, 0x13, 0x00, 0xD2, 0x53, 0xD2, 0x30, 0x33, 0x12, 0x13}));
    EXPECT_EQ(f.bursts, "64004");
    EXPECT_EQ(f.duration, "57882");
}

// What the reader reported and nobody edited goes back as it came, whatever its text rounds to;
// what the page cannot show or send is refused where the user pressed, never sent as another value.
TEST_F(PageTest, AdditionalWritesBackWhatTheReaderReportedAndRefusesWhatItCannotShow) {
    // clang-format off
    const struct { uint8_t sync, level; uint16_t switchOff, doubleReads; const char* typedSync; const char* refusal; } rows[] = {
        {100, 1, 750, 32, nullptr, nullptr},  // 100 shows as "1.96"; "7" s
        {51, 0, 65000, 6000, nullptr, nullptr},  // beyond the page's own limits
        {100, 1, 750, 32, "1.96", nullptr},
        {100, 1, 750, 32, "5.01", "Wireless synchronization: 0.00 to 5.00 V"},
        {100, 5, 750, 32, nullptr, "Access level: the reader's level is none of Read only, New Group and last ID, Complete access; choose one"},
    };
    // clang-format on
    for (const auto& r : rows) {
        prompt.messages.clear();
        add.OnCreate();
        const auto hi = [](uint16_t v) { return static_cast<uint8_t>(v >> 8); };
        const auto lo = [](uint16_t v) { return static_cast<uint8_t>(v); };
        Answer(add,
               Ack(0x60, {0x14, 0, 0, 0, 0x78, 5, 1,       hi(r.switchOff),   lo(r.switchOff),   r.sync, 2,
                          0,    1, 0, 0, 0,    0, r.level, hi(r.doubleReads), lo(r.doubleReads), 2}));
        add.Fields().syncLevel = r.typedSync ? r.typedSync : add.Fields().syncLevel;
        ConfigRecord c;
        ASSERT_EQ(add.FillRecord(c), r.refusal ? -1 : 0) << r.sync << r.typedSync;
        EXPECT_EQ(prompt.messages,
                  r.refusal ? std::vector<std::string>{r.refusal} : std::vector<std::string>{});
        if (!r.refusal) {
            EXPECT_EQ((std::vector<int>{c.syncLevel, c.switchOffTime, c.doubleReadTime, c.accessLevel}),
                      (std::vector<int>{r.sync, r.switchOff, r.doubleReads, r.level}));
        }
    }
    main.sent.clear();
    add.OnSetAccessLevel();  // nor "Read only" in place of a level it cannot show
    EXPECT_TRUE(main.sent.empty());
    add.Fields().syncLevel = "1.96";
    add.OnSyncLevelStep(+1);
    EXPECT_EQ(add.Fields().syncLevel, "2.06");
}

TEST_F(PageTest, OutputFormatPreviewAndValue) {
    auto& sel = out.Fields().selection;
    using P = CPropPageOutputFormat;
    sel[P::kIdCode] = 0, sel[P::kInitialCharacter] = 0, sel[P::kTagType] = 0, sel[P::kDelimiter] = 1;
    sel[P::kAnimalFlag] = 1, sel[P::kNumberFormat] = 0, sel[P::kCountryCode] = 0, sel[P::kCommandPrompt] = 0;
    for (int l :
         {P::kReserved, P::kRetagging, P::kUserCode, P::kDataBlock, P::kExtendedCode, P::kLeadingZeros}) {
        sel[static_cast<size_t>(l)] = 0;
    }
    out.OnSave();
    EXPECT_EQ(out.Fields().preview, "#T;A;IIIIIIIIIIII");
    EXPECT_EQ(main.Last(), (Bytes{0x60, 0x19, 0x05, 0x50, 0x23}));
    sel[P::kIdCode] = 1;
    out.OnSelectionChanged();
    EXPECT_EQ(out.Fields().preview, "HHHHHHHHHHHHHHHH");

    Answer(out, Ack(0x60, {0x1A, 0x00, 0xC0, 0x01}));  // delimiter 6, initial character 0x01
    EXPECT_EQ(sel[P::kDelimiter], 1);
    EXPECT_EQ(sel[P::kInitialCharacter], P::kSelfDefined);
    EXPECT_EQ(out.Fields().selfDefined, "<0x01>");
    EXPECT_EQ(P::CharacterValue("<0x01>"), 0x01);
    for (const auto& [text, value] : {std::pair<const char*, int>{" 65", 65}, {"abc", -1}, {"0x", -1}}) {
        EXPECT_EQ(P::CharacterValue(text), value) << "'" << text << "'";
    }

    out.OnCreate();
    out.OnSave();
    EXPECT_EQ(main.Last(), (Bytes{0x60, 0x19, 0x00, 0x00, 0x00}));
}

TEST_F(PageTest, BluetoothRequests) {
    bt.Fields().peerAddress = "zzzzzzzzzzzz";
    bt.OnAssign();
    EXPECT_EQ(main.Last(), (Bytes{0x9F, 0x14, 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z'}));
    bt.Fields().peerAddress = "12345";
    bt.OnAssign();
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"Invalid peer address"});

    bt.Fields().mode = CPropPageBluetooth::kNone;
    bt.OnSetMode();
    EXPECT_EQ(main.Last(), (Bytes{0x60, 0x17, 0x01}));
    Answer(bt, Nak(0x60, {0x18, 0x00}));
    EXPECT_EQ(bt.Fields().mode, CPropPageBluetooth::kFirst);
    EXPECT_NE(bt.Message(), "Set Bluetooth mode success");

    bt.Fields().friendlyName = "ABCDEFGHIJKLMNOPQRST";
    bt.OnSetFriendlyName();
    EXPECT_EQ(main.Last().size(), 23u);
    EXPECT_EQ(main.Last()[2], 20);
    EXPECT_FALSE(main.sent.back().IsRepeat());
    Answer(bt, Ack(0x9F, {0x2A, 200, 'N', 'a', 'm', 'e'}));  // announces more than it holds
    EXPECT_EQ(bt.Fields().friendlyName, "Name");
    bt.OnReadPeerAddress();
    EXPECT_EQ(main.Last(), (Bytes{0x9F, 0x15}));
    Answer(bt, Ack(0x9F, {0x15, '0', '0', '1', '1', '2', '2', 'a', 'b', 'c', 'd', 'e', 'f'}));
    EXPECT_EQ(bt.Fields().peerAddress, "001122abcdef");

    // Disable: the first repetition after 50 ticks, then every 4; neither radio: every 4 from the start.
    for (const auto& [enable, first] :
         {std::pair{CPropPageBluetooth::kSecond, 51}, {CPropPageBluetooth::kNone, 5}}) {
        bt.OnCreate();
        bt.Fields().enable = enable;
        bt.OnSetEnable();
        EXPECT_EQ(main.Last(), (Bytes{0x9F, 0x16, 0x00}));
        int t = 1;
        for (const size_t sent = main.sent.size(); main.sent.size() == sent && t <= 60; ++t) {
            bt.OnTick();
        }
        EXPECT_EQ(t - 1, first) << enable;
    }
}

}  // namespace
