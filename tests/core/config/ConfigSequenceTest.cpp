#include "core/config/ConfigSequence.h"
#include "core/config/ConfigTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Ticks until the sequence gives up; the ticks at which it transmitted and gave up.
std::pair<std::vector<int>, int> SilentTimeline(CConfigSequence& seq, int maxTicks = 400) {
    std::vector<int> sent;
    for (int tick = 0; tick < maxTicks; ++tick) {
        CTelegram request;
        const int action = seq.BuildStep(request);
        if (action == IConfigSequence::kStep || action == IConfigSequence::kRepeat) {
            sent.push_back(tick);
        } else if (action == IConfigSequence::kGiveUp) {
            return {sent, tick};
        }
    }
    return {sent, -1};
}

// The block a reader sends for 0x60 0x14: break 250, bursts 7200, reads 5, active, 7 s, sync 102,
// IO 3, RF 1, Bluetooth 1, custom 05 50 23, access 1, double reads 5000, display 2.
Bytes Block() {
    return Ack(0x60, {0x14, 0x00, 0xFA, 0x1C, 0x20, 5,    1, 0x02, 0xBC, 102, 3,
                      0,    1,    1,    0x05, 0x50, 0x23, 1, 0x13, 0x88, 2});
}

// Answers each request as a reader that knows every command.
Bytes Answering(const Bytes& request) {
    switch (request[0]) {
        case Cmd::kGetConfig:
            return Ack(Cmd::kGetConfig, {static_cast<uint8_t>(request[1] == CfgAddr::kTimeout ? 30 : 0x21)});
        case Cmd::kVersion:
            return Ack(Cmd::kVersion, {'V', '1', '.', '2'});
        case Cmd::kGetSnr:
            return Ack(Cmd::kGetSnr, {'0', '0', '0', '7', '7', '7'});
        case Cmd::kAdditional:
            return request[1] == 0x14 ? Block() : Ack(0x60, {request[1]});
        default:
            return Ack(request[0]);
    }
}

int Give(CConfigSequence& seq, const Bytes& frame) {
    return seq.OnAnswer(static_cast<int>(frame.size()), frame.data());
}

std::vector<Bytes> RunAnswered(CConfigSequence& seq, int& last) {
    std::vector<Bytes> sent;
    for (int tick = 0; tick < 200 && seq.IsRunning() != 0; ++tick) {
        CTelegram request;
        if (seq.BuildStep(request) == IConfigSequence::kStep) {
            sent.push_back(FakeMainWindow::BytesOf(request));
            last = Give(seq, Answering(sent.back()));
        }
    }
    return sent;
}

TEST(ConfigSequenceTest, SilentReaderTimelines) {
    CConfigSequence read;
    ASSERT_EQ(read.StartRead(), 7);
    EXPECT_EQ(SilentTimeline(read), (std::pair<std::vector<int>, int>{{0, 2, 4}, 6}));
    EXPECT_EQ(read.StartRead(), -1);  // moved on to the next step; the main window stops it
    read.Stop();
    EXPECT_EQ(read.StartRead(), 7);

    CConfigSequence write;
    ASSERT_EQ(write.StartWrite(ConfigRecord{}), 17);
    EXPECT_EQ(write.StartRead(), -1);  // "Read" during "Apply" does nothing
    EXPECT_EQ(SilentTimeline(write), (std::pair<std::vector<int>, int>{{0, 4, 8}, 12}));
    // To the Bluetooth mode step (W13), answering the others.
    write.Stop();
    write.StartWrite(ConfigRecord{});
    for (int i = 0; i < 12; ++i) {
        CTelegram request;
        write.BuildStep(request);
        Give(write, Answering(FakeMainWindow::BytesOf(request)));
    }
    EXPECT_EQ(SilentTimeline(write), (std::pair<std::vector<int>, int>{{0, 51, 102}, 153}));
}

TEST(ConfigSequenceTest, AnsweringReaderGetsTheRequestsInOrder) {
    CConfigSequence seq;
    seq.StartRead();
    int last = 0;
    EXPECT_EQ(RunAnswered(seq, last),
              (std::vector<Bytes>{
                  {0x29, 0x32}, {0x29, 0x34}, {0x29, 0x3E}, {0x29, 0x39}, {0x09}, {0x0A}, {0x60, 0x14}}));
    EXPECT_EQ(last, IConfigSequence::kReadDone);
    const ConfigRecord r = seq.GetReadRecord();
    EXPECT_EQ(r.timeout, 30);
    EXPECT_EQ(r.version, "V1.2");
    EXPECT_EQ(r.serialNumber, "000777");
    EXPECT_EQ(r.permanentReadBursts, 7200);
    EXPECT_EQ(r.syncLevelRead, 102);
    EXPECT_EQ(r.customFormat, (std::array<uint8_t, 3>{0x05, 0x50, 0x23}));
    EXPECT_EQ(r.doubleReadTime, 5000);
    EXPECT_EQ(r.displayInfo, 2);

    ConfigRecord w;
    w.format = 1, w.timeout = 50, w.startCharacter = 'I', w.syncLevel = 102, w.timing = 2, w.ioFlags = 3;
    w.rfPower = 1, w.doubleReadTime = 5000, w.accessLevel = 2, w.displayInfo = 1;
    w.permanentReadBreak = 250, w.permanentReadBursts = 7200, w.permanentReadReads = 5;
    w.permanentReadActive = 1, w.switchOffTime = 700, w.bluetoothMode = 1, w.customFormat = {5, 0x50, 0x23};
    seq.StartWrite(w);
    // clang-format off
    EXPECT_EQ(RunAnswered(seq, last), (std::vector<Bytes>{
        {0x28, 0x32, 1}, {0x28, 0x34, 50}, {0x28, 0x3E, 'I'}, {0x60, 0x21, 102}, {0x28, 0x39, 2}, {0x60, 0x16, 3},
        {0x60, 0x13, 1}, {0x60, 0x1D, 0x13, 0x88}, {0x60, 0x1B, 2}, {0x60, 0x1F, 1},
        {0x60, 0x11, 0x00, 0xFA, 0x1C, 0x20, 5, 1}, {0x60, 0x15, 0x02, 0xBC}, {0x60, 0x17, 1}, {0x60, 0x19, 5, 0x50, 0x23},
        {0x29, 0x32}, {0x29, 0x34}, {0x29, 0x3E}, {0x29, 0x39}, {0x60, 0x14}, {0x2A}}));
    // clang-format on
    EXPECT_EQ(last, IConfigSequence::kWriteDone);
    EXPECT_EQ(seq.IsRunning(), 0);
}

// One frame during the read's timeout step (R2): what it gives and what the next tick does. Only
// the step's own answer touches it; a refusal makes it repeat at once.
TEST(ConfigSequenceTest, OnlyTheStepsOwnAnswerTouchesIt) {
    const struct {
        const char* name;
        Bytes frame;
        int result;
        int nextAction;
    } rows[] = {
        {"set answer where a read is awaited", Ack(0x28, {30}), IConfigSequence::kIgnored,
         IConfigSequence::kWaiting},
        {"keep-alive acknowledge", Ack(0x01), IConfigSequence::kIgnored, IConfigSequence::kWaiting},
        {"tag data message", ReaderFrame(0x23, 0x29, {'9', '8', '4'}), IConfigSequence::kIgnored,
         IConfigSequence::kWaiting},
        {"read answer without a value", Ack(0x29), IConfigSequence::kNotConfigRead, IConfigSequence::kRepeat},
        {"non-acknowledge", Nak(0x29, {0x34}), IConfigSequence::kNotAck, IConfigSequence::kRepeat},
        {"read answer", Ack(0x29, {30}), IConfigSequence::kStepDone, IConfigSequence::kStep},
    };
    for (const auto& row : rows) {
        CConfigSequence seq;
        seq.StartRead();
        CTelegram request;
        seq.BuildStep(request);
        Give(seq, Ack(0x29, {1}));
        seq.BuildStep(request);  // R2 sent
        EXPECT_EQ(Give(seq, row.frame), row.result) << row.name;
        EXPECT_EQ(seq.BuildStep(request), row.nextAction) << row.name;
        EXPECT_EQ(seq.GetReadRecord().timeout, row.result == IConfigSequence::kStepDone ? 30 : 0) << row.name;
    }
}

TEST(ConfigSequenceTest, VersionStepTakesOnlyTheVersionAnswer) {
    CConfigSequence seq;
    seq.StartRead();
    for (int i = 0; i < 4; ++i) {
        CTelegram request;
        seq.BuildStep(request);
        Give(seq, Ack(0x29, {1}));
    }
    EXPECT_EQ(Give(seq, ReaderFrame(0x23, 0x0A, {'9', '8', '4'})), IConfigSequence::kIgnored);
    EXPECT_EQ(Give(seq, Nak(0x09)), IConfigSequence::kNotAck);
    EXPECT_EQ(seq.GetReadRecord().version, "");
    EXPECT_EQ(Give(seq, Ack(0x09, {'V', '2'})), IConfigSequence::kStepDone);
    EXPECT_EQ(seq.GetReadRecord().version, "V2");
}

}  // namespace
