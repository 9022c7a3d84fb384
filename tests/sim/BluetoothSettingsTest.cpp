#include "SimTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Each request after the ones before it, against one reader; the body that comes back.
TEST(BluetoothSettingsTest, ModuleFollowsWhatWasWrittenAndRefusesWhatItCannotDo) {
    SimulatedReader reader;
    const Bytes peer = {'0', '0', '1', '1', '2', '2', 'A', 'A', 'b', 'b', 'C', 'C'};
    Bytes assign = {0x9F, 0x14};
    assign.insert(assign.end(), peer.begin(), peer.end());
    Bytes peerAnswer = {0x06, 0x9F, 0x15};
    peerAnswer.insert(peerAnswer.end(), peer.begin(), peer.end());
    const struct {
        const char* name;
        Bytes request;
        Bytes answer;
    } rows[] = {
        {"assign", assign, {0x06, 0x9F, 0x14}},
        {"read back", {0x9F, 0x15}, peerAnswer},
        {"non-hex address",
         {0x9F, 0x14, 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z'},
         {0x15, 0x9F, 0x14}},
        {"name", {0x9F, 0x29, 3, 'B', 'o', 'x'}, {0x06, 0x9F, 0x29}},
        {"name length wrong", {0x9F, 0x29, 4, 'B', 'o', 'x'}, {0x15, 0x9F, 0x29}},
        {"name read", {0x9F, 0x2A}, {0x06, 0x9F, 0x2A, 3, 'B', 'o', 'x'}},
        {"switch off", {0x9F, 0x16, 0x00}, {0x06, 0x9F, 0x16}},
        {"connect while off", {0x9F, 0x12}, {0x15, 0x9F, 0x12}},
        {"slave", {0x60, 0x17, 0x01}, {0x06, 0x60, 0x17}},
        {"mode 2", {0x60, 0x17, 0x02}, {0x15, 0x60, 0x17}},
        {"mode read", {0x60, 0x18}, {0x06, 0x60, 0x18, 0x01}},
        {"reset all", {0x18}, {0x06, 0x18}},
        {"mode after reset", {0x60, 0x18}, {0x06, 0x60, 0x18, 0x01}},
        {"master", {0x60, 0x17, 0x00}, {0x06, 0x60, 0x17}},
        {"saved", {0x2A}, {0x06, 0x2A}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(AnswerBody(reader, row.request), row.answer) << row.name;
    }
    reader.Restart();
    EXPECT_EQ(AnswerBody(reader, {0x60, 0x18}), (Bytes{0x06, 0x60, 0x18, 0x00}))
        << "saved mode after restart";
    EXPECT_EQ(AnswerBody(reader, {0x9F, 0x12}), (Bytes{0x06, 0x9F, 0x12})) << "module on again after restart";
    EXPECT_EQ(reader.GetBluetooth().FriendlyName(), "Box");
}

}  // namespace
