#pragma once

#include "core/app/Prompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/config/ConfigRecord.h"
#include "core/link/Telegram.h"

#include <cstdint>
#include <string>

// The eight configuration pages as the main window drives them. The page objects live as long as
// the main window; only the sheet window comes and goes.
class IConfigPages {
public:
    virtual ~IConfigPages() = default;
    virtual void TickPage(int index) = 0;
    // The page waits for an answer or runs a job of requests.
    virtual bool PageBusy(int /*index*/) const { return false; }
    virtual void AnswerPage(int index, int length, const uint8_t* frame) = 0;
    virtual void ShowMainStatus(int index, const std::string& message) = 0;
    virtual void SetProgressRangeAll(int high) = 0;
    virtual void StepProgressAll(int step) = 0;
    // Fills record from the pages; -1 when a page refused what it holds (it says why).
    virtual int Collect(ConfigRecord& record) = 0;
    virtual void ShowAll(const ConfigRecord& record) = 0;
    // A record loaded from a file, which holds no start character and no display choice: the
    // pages keep what they show for those.
    virtual void ShowLoaded(const ConfigRecord& record) { ShowAll(record); }
    // The prompt of the sheet the pages sit in, so that its file dialogs open over the sheet;
    // nullptr: the main window's.
    virtual IPrompt* SheetPrompt() { return nullptr; }
};

// The open configuration sheet window.
class IConfigSheet {
public:
    virtual ~IConfigSheet() = default;
    virtual int ActivePage() const = 0;
    virtual void BringToFront() = 0;
};

// The engine that reads or writes the whole configuration, one request per tick.
class IConfigSequence {
public:
    // What BuildStep asks of the main window.
    enum Action { kIdle = 0, kStep = 1, kRepeat = 2, kGiveUp = 3, kNothing = 4, kWaiting = 7 };
    // What OnAnswer made of a frame.
    enum Answer {
        kNotConfigRead = -3,  // an acknowledge of another command where a configuration read was awaited
        kNotAck = -2,
        kIgnored = 0,
        kStepDone = 5,
        kReadDone = 6,
        kWriteDone = 8
    };

    virtual ~IConfigSequence() = default;
    virtual int IsRunning() const = 0;
    // -1 when it cannot start, else the number of steps.
    virtual int StartRead() = 0;
    virtual int StartWrite(const ConfigRecord& record) = 0;
    virtual void Stop() = 0;
    // One of Answer.
    virtual int OnAnswer(int length, const uint8_t* frame) = 0;
    virtual int BuildStep(CTelegram& request) = 0;
    virtual ConfigRecord GetReadRecord() const = 0;
    // The line's timing, which its repetitions and first transmissions wait for; none: the
    // fixed waits alone.
    virtual void SetTiming(const IRequestTiming* /*timing*/) {}
};
