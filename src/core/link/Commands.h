#pragma once

#include <cstdint>

// Every command the tool sends to the reader, with its sub-codes and the description texts the
// traffic views show. Windows build their requests from these names, never from bare bytes.
namespace Cmd {

constexpr uint8_t kConnect = 0x01;
constexpr uint8_t kVersion = 0x09;
constexpr uint8_t kGetSnr = 0x0A;
constexpr uint8_t kResetAll = 0x18;
constexpr uint8_t kGetSingleId = 0x22;
constexpr uint8_t kTagData = 0x23;
constexpr uint8_t kGetLastId = 0x24;
constexpr uint8_t kSetConfig = 0x28;
constexpr uint8_t kGetConfig = 0x29;
constexpr uint8_t kSaveConfig = 0x2A;
constexpr uint8_t kSetClock = 0x52;
constexpr uint8_t kGetClock = 0x53;
constexpr uint8_t kSetLcdContrast = 0x54;
constexpr uint8_t kSetLcdTemperature = 0x55;
constexpr uint8_t kReadEeprom = 0x56;
constexpr uint8_t kWriteEeprom = 0x57;
constexpr uint8_t kDatasets = 0x58;
constexpr uint8_t kRouteBluetooth = 0x59;
constexpr uint8_t kShowEvent = 0x5B;
constexpr uint8_t kAdditional = 0x60;
constexpr uint8_t kSetSnr = 0x80;
constexpr uint8_t kGetAmplitude = 0x83;
constexpr uint8_t kGetRssi = 0x85;
constexpr uint8_t kStartHdxSample = 0x91;
constexpr uint8_t kStartFdxSample = 0x93;
constexpr uint8_t kResetAvr = 0x95;
constexpr uint8_t kStartUbSample = 0x98;
constexpr uint8_t kService = 0x9F;
constexpr uint8_t kStoreTagData = 0xA0;
constexpr uint8_t kStartBootloader = 0xA5;

// The three codes whose answers repeat the sub-code at byte 5 and carry data from byte 6.
constexpr bool IsMultiFunction(uint8_t code) {
    return code == kDatasets || code == kAdditional || code == kService;
}

}  // namespace Cmd

// Configuration addresses, read with Cmd::kGetConfig and written with Cmd::kSetConfig.
namespace CfgAddr {
constexpr uint8_t kHdxBlock = 0x30;
constexpr uint8_t kMode = 0x31;
constexpr uint8_t kFormat = 0x32;
constexpr uint8_t kTransponderTypes = 0x33;
constexpr uint8_t kTimeout = 0x34;
constexpr uint8_t kDelay = 0x35;
constexpr uint8_t kNode = 0x36;
constexpr uint8_t kSyncLevel = 0x37;
constexpr uint8_t kTiming = 0x39;
constexpr uint8_t kStartCharacter = 0x3E;
constexpr uint8_t kFirst = 0x30;
constexpr uint8_t kLast = 0x3E;
}  // namespace CfgAddr

// Sub-codes of Cmd::kDatasets.
namespace Sub58 {
constexpr uint8_t kReadDataset = 0x05;
constexpr uint8_t kClearAll = 0x06;
constexpr uint8_t kGetAmount = 0x07;
}  // namespace Sub58

// Sub-codes of Cmd::kAdditional.
namespace Sub60 {
constexpr uint8_t kSetPermanentRead = 0x11;
constexpr uint8_t kGetPermanentRead = 0x12;
constexpr uint8_t kSetRfPower = 0x13;
constexpr uint8_t kGetAdditional = 0x14;
constexpr uint8_t kSetSwitchOffTime = 0x15;
constexpr uint8_t kSetIoConfig = 0x16;
constexpr uint8_t kSetBluetoothMode = 0x17;
constexpr uint8_t kGetBluetoothMode = 0x18;
constexpr uint8_t kSetOutputFormat = 0x19;
constexpr uint8_t kGetOutputFormat = 0x1A;
constexpr uint8_t kSetAccessLevel = 0x1B;
constexpr uint8_t kSetDoubleRead = 0x1D;
constexpr uint8_t kSetDisplayInfo = 0x1F;
constexpr uint8_t kSetSyncLevel = 0x21;
}  // namespace Sub60

// Sub-codes of Cmd::kService.
namespace Sub9F {
constexpr uint8_t kVibrationOn = 0x04;
constexpr uint8_t kVibrationOff = 0x05;
constexpr uint8_t kBluetoothOn = 0x06;
constexpr uint8_t kBluetoothOff = 0x07;
constexpr uint8_t kLcdBackgroundOn = 0x08;
constexpr uint8_t kLcdBackgroundOff = 0x09;
constexpr uint8_t kGetUBat = 0x0A;
constexpr uint8_t kReadDataset = 0x0B;
constexpr uint8_t kReadEventDataset = 0x0C;
constexpr uint8_t kAssignEventDataset = 0x0D;
constexpr uint8_t kClearEventDataset = 0x0E;
constexpr uint8_t kReadEventString = 0x0F;
constexpr uint8_t kAssignEventString = 0x11;
constexpr uint8_t kConnectBluetooth = 0x12;
constexpr uint8_t kHangUpBluetooth = 0x13;
constexpr uint8_t kAssignPeerAddress = 0x14;
constexpr uint8_t kReadPeerAddress = 0x15;
constexpr uint8_t kEnableBluetooth = 0x16;
constexpr uint8_t kStartPairing = 0x19;
constexpr uint8_t kStartBtConnect = 0x20;
constexpr uint8_t kStartBtDrop = 0x21;
constexpr uint8_t kStartBtDrop2 = 0x22;
constexpr uint8_t kBlueLed = 0x23;
constexpr uint8_t kRedLed = 0x24;
constexpr uint8_t kGreenLed = 0x25;
constexpr uint8_t kBeeper = 0x26;
constexpr uint8_t kGetButton = 0x27;
constexpr uint8_t kGetUCom = 0x28;
constexpr uint8_t kSetFriendlyName = 0x29;
constexpr uint8_t kGetFriendlyName = 0x2A;
}  // namespace Sub9F

// Description texts, blanks included: the first form is used by single-request buttons, the
// second (no blanks) by the whole-configuration sequences.
namespace Desc {
inline constexpr const char* kConnect = " Connect request ";
inline constexpr const char* kVersion = " Get version request ";
inline constexpr const char* kVersionSeq = "Get version request";
inline constexpr const char* kGetSnr = " Get snr request ";
inline constexpr const char* kGetSnrSeq = "Get snr request";
inline constexpr const char* kResetAll = " Reset all request ";
inline constexpr const char* kGetSingleId = " Get single ID request ";
inline constexpr const char* kSetConfig = "Set Configuration request";
inline constexpr const char* kWriteFormat = "Write format request";
inline constexpr const char* kWriteTimeout = "Write timeout request";
inline constexpr const char* kWriteStartCharacter = "Write start character request";
inline constexpr const char* kWriteTiming = "Write timing request";
inline constexpr const char* kGetConfig = "Read configuration request";
inline constexpr const char* kReadFormat = "Read format request";
inline constexpr const char* kReadTimeout = "Read timeout request";
inline constexpr const char* kReadStartCharacter = "Read start character request";
inline constexpr const char* kReadTiming = "Read timing request";
inline constexpr const char* kSaveConfigData = "Save configuration data request";
inline constexpr const char* kSaveConfig = " Save configuration request ";
inline constexpr const char* kSaveConfigSeq = "Save configuration request";
inline constexpr const char* kSetClock = " Set time of real time clock ";
inline constexpr const char* kGetClock = " Get time request ";
inline constexpr const char* kSetLcdContrast = " Set LCD contrast request ";
inline constexpr const char* kSetLcdTemperature = " Set LCD temperatur request ";
inline constexpr const char* kReadEeprom = "Read externall eeprom request at address %04x";
inline constexpr const char* kWriteEeprom = "Write externall eeprom request at address %04x with %02x";
inline constexpr const char* kShowEvent = " Show event request ";
inline constexpr const char* kSetSnr = " Set snr request ";
inline constexpr const char* kGetVoltage = " Get voltage request ";
inline constexpr const char* kGetRssi = " Get RSSI request ";
inline constexpr const char* kStartHdxSample = " Start HDX sample request ";
inline constexpr const char* kStartHdxSamplePeriodic = " Start hdx sample request ";
inline constexpr const char* kStartFdxSample = " Start FDX sample request ";
inline constexpr const char* kStartFdxSamplePeriodic = " Start fdx sample request ";
inline constexpr const char* kStartUbSample = " Start UB sample request ";
inline constexpr const char* kReset = " Reset request ";
inline constexpr const char* kStoreTagData = " Store tagdata request ";
inline constexpr const char* kStartBootloader = " Start bootloader request ";
inline constexpr const char* kWlanTest = " WLAN Test ";

inline constexpr const char* kReadDataset = "Read dataset %d request";
inline constexpr const char* kClearAllDatasets = " Clear all datasets request ";
inline constexpr const char* kGetAmountOfDatasets = " Get amount of datasets request ";

inline constexpr const char* kSetPermanentRead = " Set permanent read parameter request ";
inline constexpr const char* kSetPermanentReadSeq = "Set permanent read parameter request";
inline constexpr const char* kGetPermanentRead = " Get permanent read parameter request ";
inline constexpr const char* kSetRfPower = " Set rf power mode request ";
inline constexpr const char* kSetRfPowerSeq = "Set rf power mode request";
inline constexpr const char* kGetAdditional = " Get additional configuration request ";
inline constexpr const char* kGetAdditionalSeq = "Get additional configuration request";
inline constexpr const char* kSetSwitchOffTime = " Set switch off time request ";
inline constexpr const char* kSetSwitchOffTimeSeq = "Set switch off time request";
inline constexpr const char* kSetIoConfig = " Set IO configuration request ";
inline constexpr const char* kSetIoConfigSeq = "Set IO configuration request";
inline constexpr const char* kSetBluetoothMode = " Set Bluetooth mode request ";
inline constexpr const char* kSetBluetoothModeSeq = "Set Bluetooth mode request";
inline constexpr const char* kGetBluetoothMode = " Get Bluetooth mode request ";
inline constexpr const char* kSetOutputFormat = " Set output format request ";
inline constexpr const char* kSetOutputFormatSeq = "Set output format request";
inline constexpr const char* kGetOutputFormat = " Get output format request ";
inline constexpr const char* kSetAccessLevel = " Access level configuration request ";
inline constexpr const char* kSetAccessLevelSeq = "Access level configuration request";
inline constexpr const char* kSetDoubleRead = " Set check for doublereads request ";
inline constexpr const char* kSetDoubleReadSeq = "Set check for doublereads request";
inline constexpr const char* kSetDisplayInfo = " Set additional info request ";
inline constexpr const char* kSetDisplayInfoSeq = "Display info configuration request";
inline constexpr const char* kSetSyncLevel = " Wireless sync level configuration request ";
inline constexpr const char* kSetSyncLevelSeq = "Write sync level request";

inline constexpr const char* kVibrationOn = " Set vibration alarm on request ";
inline constexpr const char* kVibrationOff = " Set vibration alarm off request ";
inline constexpr const char* kBluetoothOn = " Switch Bluetooth modul on request ";
inline constexpr const char* kBluetoothOff = " Switch Bluetooth modul off request ";
inline constexpr const char* kLcdBackgroundOn = " Set LCD background on request ";
inline constexpr const char* kLcdBackgroundOff = " Set LCD background off request ";
inline constexpr const char* kGetUBat = " Get UBat request ";
inline constexpr const char* kReadDatasetService = " Read dataset request ";
inline constexpr const char* kReadEventDataset = "Read event dataset %d request";
inline constexpr const char* kAssignEventDataset = "Assign event dataset %d request";
inline constexpr const char* kClearEventDataset = "Clear event dataset %d request";
inline constexpr const char* kClearEventEntry = "Clear event entry %d request";
inline constexpr const char* kReadEventString = "Read event string %d request";
inline constexpr const char* kAssignEventString = "Assign event string %d request";
inline constexpr const char* kConnectBluetooth = " Connect Bluetooth modul request ";
inline constexpr const char* kHangUpBluetooth = " Hang up Bluetooth modul request ";
inline constexpr const char* kAssignPeerAddress = "Assign peer address ";
inline constexpr const char* kReadPeerAddress = " Read peer address request ";
inline constexpr const char* kEnableBluetooth = " Enable Bluetooth request ";
inline constexpr const char* kDisableBluetooth = " Disable Bluetooth request ";
inline constexpr const char* kStartPairing = " Start BT pairing request ";
inline constexpr const char* kStartBtConnect = " Start BT connect request ";
inline constexpr const char* kStartBtDrop = " Start BT drop request ";
inline constexpr const char* kBlueLedOn = " Set blue led on request ";
inline constexpr const char* kBlueLedOff = " Set blue led off request ";
inline constexpr const char* kBeeperOn = " Set beeper on request ";
inline constexpr const char* kBeeperOff = " Set beeper off request ";
inline constexpr const char* kGetButton = " Get button request ";
inline constexpr const char* kGetUCom = " Get UCom request ";
inline constexpr const char* kSetFriendlyName = " Set friendly name request ";
inline constexpr const char* kGetFriendlyName = " Get friendly name request ";
}  // namespace Desc
