#include "core/config/ConfigPages.h"

CConfigPages::CConfigPages(IMainWindow& mainWindow, IPrompt& prompt)
    : m_prompt(prompt),
      m_reader(mainWindow, prompt),
      m_bluetooth(mainWindow),
      m_events(mainWindow),
      m_rtc(mainWindow),
      m_lcd(mainWindow),
      m_additional(mainWindow),
      m_optimization(mainWindow),
      m_outputFormat(mainWindow),
      m_pages{&m_reader, &m_bluetooth,  &m_events,       &m_rtc,
              &m_lcd,    &m_additional, &m_optimization, &m_outputFormat} {
    for (CConfigPage* page : m_pages) {
        page->SetPrompt(&prompt);
    }
}

CConfigPage& CConfigPages::Page(int index) {
    return IsValid(index) ? *m_pages[static_cast<size_t>(index)] : m_reader;
}

void CConfigPages::TickPage(int index) {
    if (IsValid(index)) {
        Page(index).OnTick();
    }
}

bool CConfigPages::PageBusy(int index) const {
    return IsValid(index) && m_pages[static_cast<size_t>(index)]->IsBusy();
}

void CConfigPages::AnswerPage(int index, int length, const uint8_t* frame) {
    if (IsValid(index)) {
        Page(index).OnAnswer(length, frame);
    }
}

void CConfigPages::ShowMainStatus(int index, const std::string& message) {
    if (IsValid(index)) {
        Page(index).ShowMainStatus(message);
    }
}

// A page whose window the sheet has not created yet gets it created first, as if it had been
// made the active page, so that it does not reset what it is given later.
int CConfigPages::Collect(ConfigRecord& record) {
    for (const int index : {kReader, kBluetooth, kAdditional, kOptimization, kOutputFormat}) {
        Page(index).EnsureCreated();
        if (Page(index).FillRecord(record) != 0) {
            return -1;
        }
    }
    return 0;
}

void CConfigPages::ShowAll(const ConfigRecord& record) {
    for (CConfigPage* page : m_pages) {
        page->EnsureCreated();
        page->ShowRecord(record);
    }
}

void CConfigPages::ShowLoaded(const ConfigRecord& record) {
    for (CConfigPage* page : m_pages) {
        page->EnsureCreated();
    }
    ConfigRecord shown = record;
    const int start = CPropPageReader::StartCharacterValue(m_reader.Fields().startCharacter);
    if (start >= 0 && start <= 0xFF) {
        shown.startCharacter = static_cast<uint8_t>(start);
    }
    const int display = m_additional.Fields().display;
    if (display >= CAdditional::kTimestamp && display <= CAdditional::kAnimalCounter) {
        shown.displayInfo = static_cast<uint8_t>(display);
    }
    ShowAll(shown);
}

void CConfigPages::SetDeveloper(bool developer) {
    m_reader.SetDeveloper(developer);
    m_additional.SetDeveloper(developer);
    m_bluetooth.SetDeveloper(developer);
}

void CConfigPages::SetProgressRangeAll(int high) {
    for (CConfigPage* page : m_pages) {
        page->EnsureCreated();
        page->SetProgressRange(0, high);
    }
}

void CConfigPages::StepProgressAll(int step) {
    for (CConfigPage* page : m_pages) {
        page->StepProgress(step);
    }
}
