#pragma once

#include "core/app/Prompt.h"
#include "core/config/ConfigJobPage.h"

#include <array>
#include <cstdint>
#include <string>

// Page "Reader": output format, delay time, slave-request timeout and start character, one
// configuration address at a time; version and serial number; plus the developer's controls for
// mode, node, HDX block, transponder types, "Program" and setting the serial number.
class CPropPageReader final : public CConfigJobPage {
public:
    // The output format radio buttons, in the order the page shows them.
    enum FormatChoice : int {
        kNoFormat = -1,
        kAscii = 0,
        kByteStructure,
        kCompactCoding,
        kFrenchFramework,
        kRawData,
        kShortAscii15,
        kShortAscii16,
        kNlis,
        kCustomFormat,
        kFormatCount
    };
    static constexpr std::array<const char*, kFormatCount> kFormatCaptions = {
        "ASCII",          "Byte structure", "Compact coding", "French Framework", "Raw data",
        "Short ASCII 15", "Short ASCII 16", "NLIS",           "Custom format"};
    static constexpr std::array<uint8_t, kFormatCount> kFormatCodes = {1, 2, 3, 4, 6, 7, 0x17, 8, 9};
    static constexpr uint8_t kScpFlag = 0x20;
    static constexpr uint8_t kOffIdFlag = 0x40;
    static constexpr uint8_t kIdTimeFlag = 0x80;

    enum Mode : int { kNoMode = -1, kMaster = 0, kSlaveContinuous = 1, kSlaveRequest = 2 };

    // Hidden transponder check boxes and the bit each shows.
    enum Transponder : int { kFdxB = 0, kHdx, kH4002, kIso, k125KHz, kTransponderCount };
    static constexpr std::array<const char*, kTransponderCount> kTransponderCaptions = {
        "FDX-B", "HDX", "H4002", "ISO", "125KHz"};
    static constexpr std::array<uint8_t, kTransponderCount> kTransponderBits = {0x02, 0x04, 0x08, 0x10, 0x20};

    // Everything the page's controls hold.
    struct Controls {
        int format = kAscii;
        bool scpChecked = false;
        bool scpEnabled = true;
        bool offIdChecked = false;
        bool idTimeChecked = false;
        std::string delay;
        std::string timeout;
        std::string startCharacter;
        std::string version;
        std::string serialNumber;
        int mode = kMaster;
        std::string node;
        std::string block;
        std::array<bool, kTransponderCount> transponders{};
        bool tChecked = false;
    };

    CPropPageReader(IMainWindow& mainWindow, IPrompt& prompt);

    Controls& Fields() { return m_controls; }
    const Controls& Fields() const { return m_controls; }
    void SetDeveloper(bool developer);
    bool IsDeveloper() const { return m_developer; }

    void OnCreate() override;
    int FillRecord(ConfigRecord& record) override;
    void ShowRecord(ConfigRecord record) override;

    // Handlers of the visible controls.
    void OnFormatChosen(int format);
    void OnSetFormat();
    void OnSetDelay();
    void OnSetTimeout();
    void OnSetStartCharacter();
    void OnGetVersion();
    void OnGetSerialNumber();
    void OnGetAll();
    // Handlers of the developer's controls.
    void OnSetMode();
    void OnSetNode();
    void OnSetBlock();
    void OnProgram();
    void OnSetSerialNumber();

    uint8_t FormatCode() const;
    void ShowFormatCode(uint8_t code);
    // The start character field as a number: -1 for a text that is neither one character nor a
    // number; a number above 255 is returned as it is.
    static int StartCharacterValue(const std::string& text);
    static std::string StartCharacterText(uint8_t value);

    static constexpr const char* kGetAllStatus = "Get all";

private:
    void HandleAnswer(int length, const uint8_t* frame) override;
    void SetDefaults();
    // A field's value for one byte on the wire, with the messages that refuse it.
    struct FieldValue {
        int value;
        const char* tooLarge;
        const char* notUnderstood;
    };
    FieldValue Delay() const;
    FieldValue Timeout() const;
    FieldValue StartCharacter() const;
    FieldValue Node() const;
    // False for an empty field (nothing to send) and, with the page's message, for a value that
    // is not understood or does not fit a byte.
    bool Sendable(const FieldValue& field);
    void SetItem(const char* status, uint8_t address, const FieldValue& field);
    void ShowReadValue(int address, uint8_t value);

    IPrompt& m_prompt;
    bool m_developer = false;
    Controls m_controls;
};
