#pragma once

#include "core/link/Telegram.h"

#include <cstdint>
#include <string>
#include <vector>

// What UM_MAIN_COMMAND asks of the main window.
enum class MainCommand : int {
    kWindowClosing = 2,   // argument: the closing window's resource number
    kSampleMode = 3,      // argument: 0 HDX, 1 RSSI, 2 FDX, 3 UB, other: off
    kReadConfig = 6,      // read the whole configuration from the reader
    kWriteConfig = 7,     // write the whole configuration to the reader
    kSaveConfigFile = 8,  // save the configuration to a file
    kLoadConfigFile = 9,  // load the configuration from a file
    kEventDatabase = 10,  // argument: 1 on, 0 off
};

// Resource numbers by which windows report their closing.
namespace Resource {
constexpr int kAbout = 100;
constexpr int kComProperties = 108;
constexpr int kLcdConfiguration = 130;
constexpr int kMonitor = 132;
constexpr int kDatabase = 133;
constexpr int kBluetooth = 134;
constexpr int kMemory = 135;
constexpr int kSheetQuit = 136;  // a page's "Quit": the main window destroys the sheet
constexpr int kConfigSheet = 139;
constexpr int kMax884 = 143;
constexpr int kDiagnosis = 144;
constexpr int kTestTools = 145;
constexpr int kEventDatabase = 152;
}  // namespace Resource

// What a requester asks of the line before it sends: whether the line still owes an answer.
class IRequestTiming {
public:
    virtual ~IRequestTiming() = default;
    // A transmitted request's repetition (or, with giveUp, its failure) waits while this is true:
    // it is still queued, or a slow line may still bring its answer.
    virtual bool HoldsRepeat(const CTelegram& request, bool giveUp) const = 0;
    // A request's first transmission waits while this is true: an earlier request of the same
    // command (and sub-code) still owes an answer that would be taken for this one's.
    virtual bool BlocksRequest(const CTelegram& request) const = 0;
    // The round trip learnt from the line, for a person to read.
    virtual std::string DescribeLine() const = 0;
};

// How every window talks to the main window.
class IMainWindow {
public:
    virtual ~IMainWindow() = default;
    // UM_SEND_TELEGRAM: queue a copy of the request.
    virtual void OnSendTelegram(const CTelegram& telegram) = 0;
    // UM_SEND_NOW: transmit a copy at once, bypassing the queue.
    virtual void OnSendNow(const CTelegram& telegram) = 0;
    // UM_MAIN_COMMAND.
    virtual void OnMainCommand(MainCommand command, int argument) = 0;
    // The line's timing; none behind a window that is not connected to the engine.
    virtual const IRequestTiming* Timing() const { return nullptr; }
    // While a frame is handed out: the request it answers (command code first), or null when it
    // answers none or nothing tells.
    virtual const std::vector<uint8_t>* AnsweredRequest() const { return nullptr; }
};

// How the main window talks to a tool window found by its caption.
class IToolWindow {
public:
    virtual ~IToolWindow() = default;
    virtual void OnRxBytes(const uint8_t* /*bytes*/, int /*count*/) {}
    virtual void OnTxBytes(const std::string& /*text*/) {}
    virtual void OnResponse(const uint8_t* /*frame*/, int /*length*/) {}
    virtual void OnTick() {}
    virtual void OnBringToFront() {}
    // The port went away: a job waiting for answers ends now rather than after its time-outs.
    virtual void OnLineLost() {}
    // The ID of a tag just read (the event database window shows it).
    virtual void ShowTag(const std::string& /*id*/) {}
};
