#pragma once

#include "core/app/ConfigHooks.h"
#include "core/config/ConfigSequence.h"
#include "core/link/Commands.h"
#include "core/link/FrameParser.h"
#include "sim/SimulatedReader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

// The main window's pages as far as the whole-configuration runs use them.
struct RunPages final : IConfigPages {
    void TickPage(int) override {}
    void AnswerPage(int, int, const uint8_t*) override {}
    void ShowMainStatus(int, const std::string& message) override { status = message; }
    void SetProgressRangeAll(int) override {}
    void StepProgressAll(int) override {}
    int Collect(ConfigRecord& record) override {
        record = toWrite;
        return 0;
    }
    void ShowAll(const ConfigRecord& record) override { shown = record; }

    ConfigRecord toWrite;
    ConfigRecord shown;
    std::string status;
};

// What a run reads and writes, in one comparable value.
inline auto Values(const ConfigRecord& r) {
    return std::make_tuple(r.format, r.timeout, r.startCharacter, r.timing, r.syncLevelRead,
                           r.permanentReadBreak, r.permanentReadBursts, r.permanentReadReads,
                           r.permanentReadActive, r.switchOffTime, r.ioFlags, r.rfPower, r.bluetoothMode,
                           r.customFormat, r.accessLevel, r.doubleReadTime, r.displayInfo);
}

// What the reader holds, looked at behind the tool's back (the line is left alone).
inline ConfigRecord Holds(const SimulatedReader& reader) {
    std::vector<uint8_t> frame{CFrameParser::kStx, 0x01, CFrameParser::kMarker};
    const auto body = reader.GetAdditionalBlock();
    frame.insert(frame.end(), body.begin(), body.end());
    frame.push_back(0);  // the CRC byte's place
    ConfigRecord r;
    EXPECT_TRUE(CConfigSequence::StoreAdditionalBlock(static_cast<int>(frame.size()), frame.data(), r));
    r.format = static_cast<uint8_t>(reader.GetConfig(CfgAddr::kFormat));
    r.timeout = static_cast<uint8_t>(reader.GetConfig(CfgAddr::kTimeout));
    r.startCharacter = static_cast<uint8_t>(reader.GetConfig(CfgAddr::kStartCharacter));
    r.timing = static_cast<uint8_t>(reader.GetConfig(CfgAddr::kTiming));
    r.version = reader.GetVersionText();
    r.serialNumber = reader.GetSerialNumber();
    return r;
}

// Any record the reader accepts.
inline ConfigRecord RandomRecord(std::mt19937& random) {
    const auto in = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    ConfigRecord w;
    w.format = static_cast<uint8_t>(in(0, 3));
    w.timeout = static_cast<uint8_t>(in(1, 255));
    w.startCharacter = static_cast<uint8_t>(in('A', 'Z'));
    w.syncLevel = static_cast<uint8_t>(in(0, 255));
    w.timing = static_cast<uint8_t>(in(0, ConfigStore::kMaxTiming));
    w.permanentReadBreak = static_cast<uint16_t>(in(0, 65535));
    w.permanentReadBursts = static_cast<uint16_t>(in(0, 65535));
    w.permanentReadReads = static_cast<uint8_t>(in(0, 255));
    w.permanentReadActive = static_cast<uint8_t>(in(0, 1));
    w.switchOffTime =
        static_cast<uint16_t>(in(ConfigStore::kMinSwitchOffTime, ConfigStore::kMaxSwitchOffTime));
    w.ioFlags = static_cast<uint8_t>(in(0, 255));
    w.rfPower = static_cast<uint8_t>(in(0, 3));
    w.bluetoothMode = static_cast<uint8_t>(in(0, ConfigStore::kMaxBluetoothMode));
    w.customFormat = {static_cast<uint8_t>(in(0, 255)), static_cast<uint8_t>(in(0, 255)),
                      static_cast<uint8_t>(in(0, 255))};
    w.accessLevel = static_cast<uint8_t>(in(0, ConfigStore::kMaxAccessLevel));
    w.doubleReadTime = static_cast<uint16_t>(in(0, ConfigStore::kMaxDoubleReadTime));
    w.displayInfo = static_cast<uint8_t>(in(0, ConfigStore::kMaxDisplayInfo));
    w.syncLevelRead = w.syncLevel;  // what the reader's block shows after the write
    return w;
}
