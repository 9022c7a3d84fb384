#pragma once

#include "core/app/WindowInterfaces.h"
#include "core/link/FrameParser.h"
#include "core/service/LineList.h"

#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

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
    static constexpr size_t kMaxHeldBytes = 256 * 1024;

    // clock: milliseconds for the optional time stamps; a steady clock when none is given.
    explicit CMonitorDlg(IMainWindow& main, std::function<int64_t()> clock = {});

    // IToolWindow
    void OnRxBytes(const uint8_t* bytes, int count) override;
    void OnTxBytes(const std::string& text) override;

    // "Format" check boxes.
    bool m_ascii = true;
    bool m_newLine = true;

    // Names a good answer frame (STX up to the CRC) in place of the reader's own table, for a
    // view that wants every command named; the window keeps the table.
    void SetFrameNamer(std::function<std::string(const std::vector<uint8_t>& frame)> namer) {
        m_frameNamer = std::move(namer);
    }

    void OnClear();
    void OnQuit();
    // Holds the list still; what arrives meanwhile is kept, in order and with its time, and shown
    // on resume. Past kMaxHeldBytes the oldest goes, and a line on resume says how much.
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
    // "monitor-20261207-091502.txt": the name Save proposes for a save at that local time.
    static std::string SaveName(const std::tm& time);
    // A chosen path whose file name has no extension gets ".txt".
    static std::string WithTextExtension(const std::string& path);

    static std::string ByteText(uint8_t b, bool ascii);

    // What a line is, kept with it (LineList mark: kind in the high byte, command code in the low
    // byte), so that a filter never has to read the text again.
    enum LineKind : uint8_t { kReceived = 0, kReceivedFrame = 1, kTransmitted = 2, kNote = 3 };
    static constexpr uint8_t kNoCommand = 0xFF;
    static uint16_t LineMark(LineKind kind, uint8_t code) { return static_cast<uint16_t>(kind << 8 | code); }
    // The command byte of a transmitted frame in the traffic text ("00 00 02 01 f0 29 ..."), or
    // kNoCommand for raw bytes and text lines.
    static uint8_t TransmittedCommand(const std::string& text);

    enum class Filter { kAll, kTransmitted, kReceivedFrames, kCommand };
    // kCommand: the requests sent with that command code and the frames that answer it.
    void SetFilter(Filter filter, uint8_t command = kNoCommand);
    Filter GetFilter() const { return m_filter; }
    uint8_t FilterCommand() const { return m_filterCommand; }
    bool Shows(size_t index) const;
    // The commands a filter can name, in code order, with the names the lines carry.
    static std::vector<std::pair<uint8_t, std::string>> FilterCommands();

    // Text is found whatever its case; hex is bytes ("02 01 f0", "0201F0", "0x02"), found in hex
    // lines and, as the characters ASCII mode shows for them, in ASCII lines too. -1 for a hex
    // query that is not bytes; the search is then empty.
    int SetSearch(const std::string& query, bool hex);
    bool IsSearching() const { return !m_needle.empty(); }
    bool Matches(size_t index) const;
    // Steps from the current match to the next (or previous) shown line that matches, round the
    // end; the index of that line, or -1 when none does.
    long long Step(bool forward);
    // The index of the current match, or -1 (none yet, or it went at the front).
    long long CurrentMatch() const;
    size_t MatchCount() const;

private:
    void Emit(std::string& pending, int64_t& stamp, uint16_t& mark, const std::string& suffix = {});
    // The time of what is being shown: its arrival, when it was held during a pause.
    int64_t Now() const { return m_replayStamp >= 0 ? m_replayStamp : m_clock(); }
    void Hold(bool transmit, std::string data);

    struct Held {
        bool transmit = false;
        std::string data;
        int64_t stamp = 0;
    };

    IMainWindow& m_main;
    std::function<int64_t()> m_clock;
    std::function<std::string(const std::vector<uint8_t>&)> m_frameNamer;
    CFrameParser m_parser;
    LineList m_lines{kMaxLines};
    bool m_lastIsTransmit = false;
    bool m_paused = false;
    long long m_pausedBytes = 0;
    int m_pausedTx = 0;
    std::deque<Held> m_held;
    size_t m_heldBytes = 0;
    long long m_droppedBytes = 0;
    int m_droppedTx = 0;
    int64_t m_replayStamp = -1;
    Filter m_filter = Filter::kAll;
    uint8_t m_filterCommand = kNoCommand;
    std::string m_needle;       // lower-case text, or the hex form "02 01 f0"
    std::string m_asciiNeedle;  // hex search: the same bytes as ASCII mode shows them
    size_t m_matchNumber = SIZE_MAX;
};
