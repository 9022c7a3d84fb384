#pragma once

#include "core/app/WindowInterfaces.h"
#include "core/link/FrameParser.h"
#include "core/service/LineList.h"

#include <cstdint>
#include <functional>
#include <string>

// The traffic monitor: every transmitted request as one line, every received byte as text, split
// into lines at frame starts, line feeds and after 100 characters, and a line that completes a
// good frame labelled with the answered command's name. It never sends anything to the reader.
class CMonitorDlg final : public IToolWindow {
public:
    static constexpr int kMaxBatch = 1001;
    static constexpr size_t kSplitAt = 100;
    static constexpr size_t kTransmitTrimAbove = 200;
    static constexpr size_t kTransmitTrim = 100;
    // Received bytes alone must not grow the list without end: a reader streaming tags for hours
    // would otherwise eat memory and slow every view of it.
    static constexpr size_t kMaxLines = 5000;

    // clock: milliseconds for the optional time stamps; a steady clock when none is given.
    explicit CMonitorDlg(IMainWindow& main, std::function<int64_t()> clock = {});

    // IToolWindow
    void OnRxBytes(const uint8_t* bytes, int count) override;
    void OnTxBytes(const std::string& text) override;

    // "Format" check boxes.
    bool m_ascii = true;
    bool m_newLine = true;

    void OnClear();
    void OnQuit();
    // Holds the list still; what arrives meanwhile is counted and summed up in one line on resume.
    void SetPaused(bool paused);
    bool IsPaused() const { return m_paused; }
    long long PausedBytes() const { return m_pausedBytes; }
    int PausedTransmissions() const { return m_pausedTx; }

    LineList& Lines() { return m_lines; }
    const LineList& Lines() const { return m_lines; }
    // The line as shown, with its time stamp in front when stamps are wanted.
    static std::string StampedLine(const std::string& text, int64_t stamp);
    // The lines [from, to) as one text, one line each, for saving or copying.
    std::string Text(size_t from, size_t to, bool stamps) const;

    static std::string ByteText(uint8_t b, bool ascii);

private:
    void Emit(std::string& pending, int64_t& stamp, const std::string& suffix = {});

    IMainWindow& m_main;
    std::function<int64_t()> m_clock;
    CFrameParser m_parser;
    LineList m_lines{kMaxLines};
    bool m_lastIsTransmit = false;
    bool m_paused = false;
    long long m_pausedBytes = 0;
    int m_pausedTx = 0;
};
