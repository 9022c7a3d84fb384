#pragma once

#include "core/link/FrameParser.h"
#include "sim/BluetoothModule.h"
#include "sim/BluetoothSettings.h"
#include "sim/ConfigStore.h"
#include "sim/DatasetMemory.h"
#include "sim/EventTables.h"
#include "sim/ExternalEeprom.h"
#include "sim/ServiceHardware.h"
#include "sim/SignalSource.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

// A reader without hardware: framed requests go in as bytes, answers, tag reports and line faults
// come out as bytes. Time only moves when the owner calls Advance, so a test can drive it
// millisecond by millisecond and get the same bytes every run.
class SimulatedReader final {
public:
    // How a transponder is reported when it is read.
    enum class TagForm { kChar16, kChar10, kBin8, kBin5, kBin13, kLine };

    struct Transponder {
        uint16_t countryCode = 0;  // 0..1023
        uint64_t nationalId = 0;   // 38 bits
        uint8_t type = 5;          // 1 HDX, 2 H4002, 5 FDX-B
        std::string eventText;     // carried by the character forms only; empty for none
    };

    // A request the reader is to refuse: the command code, and the sub-code for 0x58, 0x60 and
    // 0x9F (-1 refuses every sub-code).
    struct Refusal {
        uint8_t code = 0;
        int subCode = -1;
    };

    // Line faults and refusals; all off by default. Percentages are 0..100.
    struct Faults {
        int dropPercent = 0;            // the answer to a request is lost on its way back
        int corruptPercent = 0;         // a frame leaves with a wrong CRC byte
        bool echo = false;              // every received byte comes straight back (half-duplex line)
        int delayMs = 0;                // answers leave this many milliseconds after their request
        int jitterMs = 0;               // each answer's delay varies by up to this much either way
        bool oneAtATime = false;        // each answer's delay counts from the previous answer's
        bool split = false;             // TakeBatches cuts the output into batches of 1..kMaxSplit bytes
        bool noise = false;             // a few random bytes, never STX, before each frame or line
        int refusePercent = 0;          // this share of the requests is refused and not carried out
        std::vector<Refusal> refuse{};  // these requests are refused and not carried out
    };

    // Status byte of a non-acknowledge: the request was not carried out.
    static constexpr uint8_t kNak = 0x15;

    // Answers, tags and echoes that nobody takes are dropped, oldest first, beyond this.
    static constexpr size_t kMaxPending = 64 * 1024;
    static constexpr int kMaxSplit = 7;
    static constexpr int kMaxNoise = 8;
    static constexpr size_t kMaxEventText = 32;

    // Called for every request addressed to this reader, before it is answered.
    using RequestObserver = std::function<void(uint8_t address, const std::vector<uint8_t>& payload)>;

    explicit SimulatedReader(uint8_t nodeAddress = 1, uint32_t seed = 1);

    // The line.
    void Receive(const uint8_t* bytes, size_t count);
    void Advance(int milliseconds);
    int64_t Now() const { return m_now; }
    bool HasOutput() const;
    // The reader time at which output next falls due (a delayed answer, the next tag report), or
    // -1 when nothing will come without a request: an owner can sleep until then.
    int64_t NextOutputDue() const;
    // Everything that is due, in order.
    std::vector<uint8_t> TakeOutput();
    // The same bytes as the line delivers them: one batch, or random small ones with the split fault.
    std::vector<std::vector<uint8_t>> TakeBatches();
    void SetRequestObserver(RequestObserver observer) { m_observer = std::move(observer); }

    // Transponders in the field, reported in turn.
    void SetTransponders(std::vector<Transponder> transponders);
    const std::vector<Transponder>& GetTransponders() const { return m_transponders; }
    void SetTagForm(TagForm form) { m_tagForm = form; }
    TagForm GetTagForm() const { return m_tagForm; }
    // Milliseconds between unsolicited reports; 0 = none.
    void SetTagInterval(int milliseconds);
    int GetTagInterval() const { return m_tagInterval; }
    // Reports the next transponder of the list now; -1 when the list is empty.
    int ReportNextTag();

    void SetFaults(const Faults& faults);
    const Faults& GetFaults() const { return m_faults; }
    void Seed(uint32_t seed) {
        m_random.seed(seed);
        m_signals.Seed(seed);
    }

    // State a test may look at or prepare.
    // The address the reader answers to; a new one set by the tool counts from the next start.
    uint8_t GetNodeAddress() const { return m_config.LineAddress(); }
    int GetConfig(uint8_t address) const { return m_config.Get(address); }  // -1 outside 0x30..0x3E
    int GetSavedConfig(uint8_t address) const { return m_config.GetSaved(address); }
    // The additional configuration as 0x60 0x14 reports it, status byte first.
    std::vector<uint8_t> GetAdditionalBlock() const { return m_config.AdditionalBlock(); }
    // Powers the reader up again: the saved configuration comes back, node address included; the
    // clock keeps running.
    void Restart();
    DatasetMemory& Datasets() { return m_datasets; }
    EventTables& Events() { return m_events; }
    // The time stamp word a dataset stored now carries.
    uint32_t DatasetStamp() const;
    void SetVersionText(std::string text) { m_version = std::move(text); }
    const BluetoothSettings& GetBluetooth() const { return m_bluetooth; }
    const std::string& GetVersionText() const { return m_version; }
    const std::string& GetSerialNumber() const { return m_serialNumber; }
    uint8_t GetLcdContrast() const { return m_lcdContrast; }
    // year 2000..2099; the day of the week follows from the date. 0, or -1 for an impossible time.
    int SetClock(int year, int month, int day, int hours, int minutes, int seconds);
    // Seconds, minutes, hours, day of week (Sunday = 1), day, month, year - 2000, each as BCD.
    std::array<uint8_t, 7> GetClockBytes() const;
    // The Bluetooth module behind the line, the signalling hardware and the external EEPROM.
    BluetoothModule& Module() { return m_module; }
    ServiceHardware& Hardware() { return m_hardware; }
    ExternalEeprom& Eeprom() { return m_eeprom; }

    // Frames an answer: STX, node address, 0xF0, then body (status byte first) with DLE escapes,
    // the CRC-8 and ETX. Unlike requests, answers have no length limit.
    static std::vector<uint8_t> BuildAnswerFrame(uint8_t nodeAddress, const std::vector<uint8_t>& body);
    // The body of a tag data message (status byte 0x23 first), or the tag line for TagForm::kLine.
    static std::vector<uint8_t> BuildTagReport(const Transponder& transponder, TagForm form);
    static bool IsUsableNode(uint8_t address) { return ConfigStore::IsUsableNode(address); }
    // The body of the non-acknowledge of a request: the code, and the sub-code where one is answered.
    static std::vector<uint8_t> BuildNakBody(const std::vector<uint8_t>& payload);

private:
    struct Unit {
        int64_t due = 0;
        std::vector<uint8_t> bytes;
    };

    // One request's output before the faults decide what becomes of it.
    struct Reply {
        std::vector<std::vector<uint8_t>> frames;  // bodies, status byte first
        std::vector<uint8_t> line;                 // a tag line, when the tag form is a line
    };

    void HandleFrame(const std::vector<uint8_t>& frame);
    bool Execute(const std::vector<uint8_t>& payload, Reply& reply);
    bool IsRefused(const std::vector<uint8_t>& payload);
    void AddTagReport(const Transponder& transponder, Reply& reply) const;
    void Send(const Reply& reply, uint8_t node, int64_t due);
    void Enqueue(std::vector<uint8_t> bytes, int64_t due, bool noise);
    // When the answer to a request that arrives now leaves.
    int64_t AnswerDue();
    bool Chance(int percent);
    int64_t ClockSeconds() const;

    ConfigStore m_config;
    DatasetMemory m_datasets;
    EventTables m_events;
    BluetoothModule m_module;
    ServiceHardware m_hardware;
    ExternalEeprom m_eeprom;
    SignalSource m_signals;
    BluetoothSettings m_bluetooth;
    std::string m_version;
    std::string m_serialNumber = "100001";
    uint8_t m_lcdContrast = 3;

    // The clock: seconds since 2000-01-01 00:00:00 at m_clockSetAt, plus what has run since.
    int64_t m_clockBase = 0;
    int64_t m_clockSetAt = 0;
    int m_weekdayShift = 0;

    std::vector<Transponder> m_transponders;
    size_t m_nextTag = 0;
    size_t m_currentTag = 0;
    TagForm m_tagForm = TagForm::kChar16;
    int m_tagInterval = 0;
    int64_t m_nextTagDue = 0;

    Faults m_faults;
    std::mt19937 m_random;
    CFrameParser m_parser;
    RequestObserver m_observer;

    int64_t m_now = 0;
    int64_t m_busyUntil = 0;  // one request at a time: when the last answer leaves
    std::deque<Unit> m_pending;
    size_t m_pendingBytes = 0;
};
