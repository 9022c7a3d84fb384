#include "core/link/CommandNames.h"

#include "core/link/Commands.h"
#include "core/link/FrameParser.h"

#include <utility>

namespace {

using Name = std::pair<uint8_t, const char*>;

// The codes the reader's table leaves " unknown ".
constexpr Name kCommands[] = {
    {Cmd::kSetClock, "set clock"},
    {Cmd::kGetClock, "get clock"},
    {Cmd::kSetLcdContrast, "set LCD contrast"},
    {Cmd::kSetLcdTemperature, "set LCD temperature"},
    {Cmd::kReadEeprom, "read EEPROM"},
    {Cmd::kWriteEeprom, "write EEPROM"},
    {Cmd::kDatasets, "datasets"},
    {Cmd::kRouteBluetooth, "Bluetooth route"},
    {Cmd::kShowEvent, "show event"},
    {Cmd::kAdditional, "additional configuration"},
    {Cmd::kService, "service"},
    {Cmd::kStoreTagData, "store tag data"},
    {Cmd::kStartBootloader, "start bootloader"},
};

constexpr Name kDatasets[] = {
    {Sub58::kReadDataset, "read dataset"},
    {Sub58::kClearAll, "clear all datasets"},
    {Sub58::kGetAmount, "get amount of datasets"},
};

constexpr Name kAdditional[] = {
    {Sub60::kSetPermanentRead, "set permanent read parameter"},
    {Sub60::kGetPermanentRead, "get permanent read parameter"},
    {Sub60::kSetRfPower, "set RF power mode"},
    {Sub60::kGetAdditional, "get additional configuration"},
    {Sub60::kSetSwitchOffTime, "set switch-off time"},
    {Sub60::kSetIoConfig, "set IO configuration"},
    {Sub60::kSetBluetoothMode, "set Bluetooth mode"},
    {Sub60::kGetBluetoothMode, "get Bluetooth mode"},
    {Sub60::kSetOutputFormat, "set output format"},
    {Sub60::kGetOutputFormat, "get output format"},
    {Sub60::kSetAccessLevel, "set access level"},
    {Sub60::kSetDoubleRead, "set double-read check"},
    {Sub60::kSetDisplayInfo, "set display info"},
    {Sub60::kSetSyncLevel, "set wireless sync level"},
};

constexpr Name kService[] = {
    {Sub9F::kVibrationOn, "vibration alarm on"},
    {Sub9F::kVibrationOff, "vibration alarm off"},
    {Sub9F::kBluetoothOn, "Bluetooth module on"},
    {Sub9F::kBluetoothOff, "Bluetooth module off"},
    {Sub9F::kLcdBackgroundOn, "LCD background on"},
    {Sub9F::kLcdBackgroundOff, "LCD background off"},
    {Sub9F::kGetUBat, "get battery voltage"},
    {Sub9F::kReadDataset, "read dataset (service)"},
    {Sub9F::kReadEventDataset, "read event dataset"},
    {Sub9F::kAssignEventDataset, "assign event dataset"},
    {Sub9F::kClearEventDataset, "clear event dataset"},
    {Sub9F::kReadEventString, "read event string"},
    {Sub9F::kAssignEventString, "assign event string"},
    {Sub9F::kConnectBluetooth, "connect Bluetooth module"},
    {Sub9F::kHangUpBluetooth, "hang up Bluetooth module"},
    {Sub9F::kAssignPeerAddress, "assign peer address"},
    {Sub9F::kReadPeerAddress, "read peer address"},
    {Sub9F::kEnableBluetooth, "enable Bluetooth"},
    {Sub9F::kStartPairing, "start Bluetooth pairing"},
    {Sub9F::kStartBtConnect, "start Bluetooth connect"},
    {Sub9F::kStartBtDrop, "start Bluetooth drop"},
    {Sub9F::kStartBtDrop2, "start Bluetooth drop 2"},
    {Sub9F::kBlueLed, "blue LED"},
    {Sub9F::kRedLed, "red LED"},
    {Sub9F::kGreenLed, "green LED"},
    {Sub9F::kBeeper, "beeper"},
    {Sub9F::kGetButton, "get button"},
    {Sub9F::kGetUCom, "get line voltage"},
    {Sub9F::kSetFriendlyName, "set friendly name"},
    {Sub9F::kGetFriendlyName, "get friendly name"},
};

template <size_t N>
const char* Find(const Name (&table)[N], int code) {
    for (const auto& [c, name] : table) {
        if (c == code) {
            return name;
        }
    }
    return nullptr;
}

}  // namespace

std::string CommandNames::Of(uint8_t code, int sub) {
    const char* named = code == Cmd::kDatasets     ? Find(kDatasets, sub)
                        : code == Cmd::kAdditional ? Find(kAdditional, sub)
                        : code == Cmd::kService    ? Find(kService, sub)
                                                   : nullptr;
    if (named == nullptr) {
        named = Find(kCommands, code);
    }
    if (named != nullptr) {
        return named;
    }
    const std::string table = CFrameParser::CommandName(code);
    if (table != " unknown ") {
        return table.substr(1, table.size() - 2);
    }
    return "unknown command";
}

std::string CommandNames::OfAnswer(const uint8_t* frame, int length) {
    if (frame != nullptr && length > 3 && frame[3] == CFrameParser::kTagData) {
        return Of(CFrameParser::kTagData);
    }
    if (frame == nullptr || length < 5) {
        return "unknown command";
    }
    // The frame ends in its CRC byte: a sub-code is there only with a byte behind it.
    const int sub = Cmd::IsMultiFunction(frame[4]) && length > 6 ? frame[5] : -1;
    return Of(frame[4], sub);
}
