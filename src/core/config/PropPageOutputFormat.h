#pragma once

#include "core/config/ConfigPage.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Page "Output format": the reader's custom output format, a 24-bit value composed from fourteen
// lists, with a preview of the line the reader will send.
class CPropPageOutputFormat final : public CConfigPage {
public:
    enum List : int {
        kIdCode = 0,
        kNumberFormat,
        kTagType,
        kReserved,
        kRetagging,
        kUserCode,
        kDataBlock,
        kExtendedCode,
        kCountryCode,
        kLeadingZeros,
        kCommandPrompt,
        kAnimalFlag,
        kDelimiter,
        kInitialCharacter,
        kListCount
    };
    // One list: its label, where its value sits, and each entry's caption and coding.
    struct ListInfo {
        const char* label;
        int shift;
        int bits;
        std::vector<std::pair<const char*, int>> entries;
    };
    static const std::array<ListInfo, kListCount>& Lists();
    // The entry "Self defined" of the initial character list.
    static constexpr int kSelfDefined = 4;

    struct Controls {
        std::array<int, kListCount> selection;  // entry index, -1 for none
        std::string selfDefined;
        std::string preview;
    };

    explicit CPropPageOutputFormat(IMainWindow& mainWindow);

    Controls& Fields() { return m_controls; }
    const Controls& Fields() const { return m_controls; }

    void OnCreate() override;
    int FillRecord(ConfigRecord& record) override;
    void ShowRecord(ConfigRecord record) override;

    void OnSelectionChanged();
    void OnSave();
    void OnReadFormat();

    // The lists' value, bits 0-23.
    uint32_t Value() const;
    void ShowValue(uint32_t value);
    std::string Preview() const;

    // Self-defined initial character, text to byte and back.
    static int CharacterValue(const std::string& text);
    static std::string CharacterText(uint8_t value);

private:
    void HandleAnswer(int length, const uint8_t* frame) override;
    // False, with the page's message, when the self-defined character does not fit a byte.
    bool Sendable();
    // The coding of the list's selected entry, 0 for none.
    int Coding(int list) const;

    Controls m_controls;
};
