#pragma once

#include "core/app/Prompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/service/LineList.h"

#include <array>
#include <cstdint>
#include <string>

// Reads and writes single bytes of the reader's external EEPROM, dumps a range of it as hex lines
// (one read per tick), and dumps stored datasets as raw 16-byte records.
class CMemoryDlg final : public IToolWindow {
public:
    static constexpr const char* kInvalidAddress = "Invalid address";
    static constexpr const char* kInvalidData = "Invalid data";
    // 64 KiB as 16-byte lines, with room for a dataset dump beside it.
    static constexpr size_t kMaxLines = 8192;
    // Ticks after which a dump stops waiting for an answer and goes on.
    static constexpr int kAnswerTicks = 10;
    // The last 16-byte line of a 16-bit address space.
    static constexpr int kLastLine = 0xFFF;

    CMemoryDlg(IMainWindow& main, IPrompt& prompt);

    // The edits, as typed.
    std::string m_address = "0000";
    std::string m_data = "00";
    std::string m_start = "1";
    std::string m_end = "2";

    void OnRead();
    void OnWrite();
    void OnStartDump();
    void OnGetDatasets();

    // IToolWindow
    void OnResponse(const uint8_t* frame, int length) override;
    void OnTick() override;

    LineList& Lines() { return m_lines; }
    const LineList& Lines() const { return m_lines; }
    int Remaining() const { return m_remaining; }
    int DatasetsRemaining() const { return m_datasetRemaining; }

    // The address edit as two bytes; -1 (after "Invalid address") when it cannot be one.
    int ParseAddress(uint16_t& address) const;

private:
    void SendRead(uint16_t address);

    IMainWindow& m_main;
    IPrompt& m_prompt;
    LineList m_lines{kMaxLines};

    uint16_t m_current = 0;
    int32_t m_remaining = 0;
    uint16_t m_endAddress = 0;
    uint16_t m_startAddress = 0;
    std::array<uint8_t, 16> m_lineBuffer{};

    uint16_t m_firstDataset = 0;
    uint16_t m_lastDataset = 0;
    uint16_t m_currentDataset = 0;
    int32_t m_datasetRemaining = 0;

    // The dump request waiting for its answer (-1: none) and the ticks it has waited.
    int32_t m_awaitedRead = -1;
    int m_readWait = 0;
    int32_t m_awaitedDataset = -1;
    int m_datasetWait = 0;
};
