#pragma once

#include "core/app/Prompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/tags/ToolView.h"
#include "core/util/LocalTime.h"
#include "core/util/AtomicFile.h"
#include "core/util/TextFile.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

// The "Database" window: the datasets the reader stored in the field. Asks for their amount,
// reads one, reads all of them into the list and into one file or one file per group, clears the
// reader's memory and shows a saved file again. Paces its requests and retries by the main
// window's tick.
class CDatabaseDlg final : public IToolWindow {
public:
    static constexpr int kRetries = 20;
    static constexpr int kWaitTicks = 2;
    static constexpr int kMaxNumber = 4095;
    static constexpr int kOpenLines = 20;
    static constexpr int kMaxAnswer = 1004;
    static constexpr size_t kMaxField = 49;
    static constexpr const char* kFilter = "Data Files (*.txt)";
    static constexpr const char* kClearQuestion = "Sure to clear all datasets?";
    static constexpr const char* kCommunicationError = "Communication error";
    static constexpr const char* kLineLost = "Connection lost";
    // The first line of every dataset file.
    static constexpr const char* kFileTitle = "Corvantelle Datasets";

    enum ReadState : int { kIdle = 0, kWaitAmount = 1, kReading = 2 };
    // How the last read-all ended.
    enum class End { kNone, kComplete, kNoAnswer, kOutOfRange, kStopped, kWriteFailed, kLineLost };
    static constexpr const char* kPartialFile = "Datasets file incomplete";
    static constexpr const char* kNotDatasets = "Not a datasets file";

    // A line the read-all adds to the list: a dataset (record set) or a group line (record null).
    struct ReadAllLine {
        const std::string& text;
        int number;  // the dataset it came with
        int group;   // the group counter after this line
        const uint8_t* record;
    };
    using LineObserver = std::function<void(const ReadAllLine&)>;

    CDatabaseDlg(IMainWindow& mainWindow, IPrompt& prompt);
    ~CDatabaseDlg() override;
    CDatabaseDlg(const CDatabaseDlg&) = delete;
    CDatabaseDlg& operator=(const CDatabaseDlg&) = delete;

    void SetView(IToolView* view) { m_view = view; }
    void SetClock(LocalClock clock) { m_clock = std::move(clock); }
    // Country name of a numeric country code, or empty; shown beside the dataset's country code.
    void SetCountryNames(std::function<std::string(int)> names) { m_countryNames = std::move(names); }
    // Fast read-all: the next request goes out as soon as an answer arrives instead of at the next
    // tick; a lost answer is still repeated by the tick.
    void SetFast(bool fast) { m_fast = fast; }
    // A name given with an extension of its own ("day.log", "my.txt.backup") is kept as it is,
    // group numbers going before the extension, instead of the dialog's ".txt" rule.
    void SetKeepExtension(bool keep) { m_keepExtension = keep; }
    void SetLineObserver(LineObserver observer) { m_lineObserver = std::move(observer); }

    // Buttons.
    void OnGet();
    void OnRead();
    void OnClear();
    void OnGetAll();
    void OnOpen();
    // Ends a running read-all: what was read stays in the list and in the file, which is closed.
    void OnStop();
    void OnQuit();
    // The port went away: the read-all ends now, not after twenty requests that cannot be
    // answered. The main window tells of the loss itself.
    void OnLineLost() override;

    // IToolWindow
    void OnResponse(const uint8_t* frame, int length) override;
    void OnTick() override;

    // Fields bound to the controls.
    std::string m_amountText;
    std::string m_countryCode;
    std::string m_countryName;
    std::string m_id;
    std::string m_tagType;
    std::string m_date;
    std::string m_time;
    std::string m_number = "1";
    std::string m_separation = "Group";
    bool m_newFilePerGroup = false;

    const std::vector<std::string>& Lines() const { return m_lines; }
    int Selected() const { return m_selected; }
    int ProgressHigh() const { return m_progressHigh; }
    int ProgressPosition() const { return m_progressPosition; }
    const std::string& ProgressText() const { return m_progressText; }
    int State() const { return m_readState; }
    End ReadAllEnd() const { return m_end; }
    int Total() const { return m_total; }
    // The datasets the read-all has taken so far.
    int Done() const { return m_current > 0 ? m_current - 1 : 0; }
    bool IsFileOpen() const { return m_output.IsOpen(); }
    const std::string& OutputPath() const { return m_output.Path(); }
    // Where the datasets of the last read-all that did not complete were left, or empty.
    const std::string& PartialPath() const { return m_partialPath; }

    // One line of the list and the file for a 13-byte dataset record (not a group marker).
    static std::string DatasetLine(const uint8_t* record);
    static bool IsGroupMarker(const uint8_t* record);
    // The two lines every dataset file starts with.
    static std::string FileHeader(const std::tm& date);

private:
    void Send(uint8_t subCode, int number = -1, bool now = false);
    void SendNextNow();
    void HandleAmount(const uint8_t* frame, int length);
    void HandleDataset(const uint8_t* frame, int length);
    void ShowRecord(const uint8_t* record);
    void AddLine(const std::string& line);
    void AddReadAllLine(const std::string& line, int number, const uint8_t* record);
    bool OpenOutput();
    void WriteOutput(const std::string& line, const char* end = "\r\n");
    // complete: the file goes in place under its name; otherwise it stays under its temporary
    // name, which the user is told.
    void CloseOutput(bool complete, const std::string& reason = {});
    void Finish(const std::string& progressText, End end, const std::string& reason = {});
    bool StartsAsDatasets();
    void Update();
    void Store();

    IMainWindow& m_mainWindow;
    IPrompt& m_prompt;
    IToolView* m_view = nullptr;
    LocalClock m_clock = &LocalTimeNow;
    std::function<std::string(int)> m_countryNames;
    LineObserver m_lineObserver;
    bool m_fast = false;
    End m_end = End::kNone;

    std::vector<std::string> m_lines;
    int m_selected = -1;
    int m_progressHigh = 100;
    int m_progressPosition = 0;
    std::string m_progressText;

    int m_readState = kIdle;
    int m_retries = 0;
    int m_waitTicks = 0;
    uint16_t m_current = 0;
    uint16_t m_total = 0;
    int m_groupCounter = 0;
    CAtomicFile m_output;
    int m_fileCounter = 1;
    std::string m_baseName;
    std::string m_partialPath;
    CTelegram m_lastRequest;  // what the tick asks again when no answer came
    std::string m_extension = ".txt";
    bool m_keepExtension = false;
    std::ifstream m_input;
};
