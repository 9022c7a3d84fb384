#pragma once

#include "core/config/ConfigPage.h"
#include "core/util/LocalTime.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Page "Events": the reader's own event tables, three event strings and 30 event datasets that
// assign one string to one transponder. Single strings and datasets are read and written here;
// the whole table is read, cleared and written as the "Event list", which also goes to and comes
// from a text file. Tags received meanwhile collect in the transponder list to pick IDs from.
class CProPageEvent final : public CConfigPage {
public:
    static constexpr int kDatasets = 30;
    static constexpr int kStrings = 3;
    static constexpr size_t kMaxText = 16;
    static constexpr size_t kMaxTagText = 17;
    static constexpr size_t kMaxLines = 1000;  // either list keeps no more than this
    static constexpr int kGetWait = 1;
    static constexpr int kStepWait = 4;
    static constexpr const char* kFilter = "Data Files (*.txt)";
    static constexpr const char* kClearQuestion = "Sure to clear all events?";
    static constexpr const char* kInvalidTag = "Invalid transponder data";
    static constexpr const char* kNotUsed = "not used";

    explicit CProPageEvent(IMainWindow& mainWindow);

    void SetClock(LocalClock clock) { m_clock = std::move(clock); }
    void OnCreate() override;

    // Event strings, row 1 to 3.
    void OnReadString(int row);
    void OnAssignString(int row);
    // The top row, for the dataset in "Number:".
    void OnReadDataset();
    void OnClearDataset();
    void OnAssignDataset();
    // Transponder list.
    void OnClearTransponders();
    void OnSelectTransponder(int index);
    // Event list.
    void OnListGet();
    void OnListClear();
    void OnListSet();
    void OnListSave();
    void OnListLoad();
    // line: 1 to 30; false when the line gives no dataset.
    bool FillFromLine(int line);

    std::string m_tagText = "984 123456789012";
    std::array<std::string, kStrings> m_strings;
    std::string m_number = "1";
    std::string m_event = "1";

    const std::vector<std::string>& Transponders() const { return m_transponders; }
    int SelectedTransponder() const { return m_selectedTransponder; }
    const std::vector<std::string>& EventList() const { return m_eventList; }
    int SelectedEvent() const { return m_selectedEvent; }
    bool IsSequenceRunning() const { return m_getStep != 0 || m_clearStep != 0 || m_setStep != 0; }

    static std::string ListLine(int number, const std::string& tagText, int event);

private:
    void HandleAnswer(int length, const uint8_t* frame) override;
    void HandleTagData(int length, const uint8_t* frame) override;
    void AfterRepetition(bool idle) override;
    void OnGiveUp() override;
    void Request(uint8_t sub, int number, const std::string& status, const char* description,
                 const std::vector<uint8_t>& extra = {});
    // The "Number:" value, or 0 after telling the user it is out of range.
    int CheckedNumber();
    bool IsUnusedLine(int line) const;
    static void Add(std::vector<std::string>& list, int& selected, const std::string& line);

    LocalClock m_clock = &LocalTimeNow;
    std::vector<std::string> m_transponders;
    int m_selectedTransponder = -1;
    std::vector<std::string> m_eventList;
    int m_selectedEvent = -1;
    uint16_t m_getStep = 0;
    uint16_t m_clearStep = 0;
    uint16_t m_setStep = 0;
    int32_t m_stepWait = 0;
    // Numbers of the unused entries a running "Set" left out, told once at its end.
    std::string m_skipped;
};
