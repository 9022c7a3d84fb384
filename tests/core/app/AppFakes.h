#pragma once

#include "core/app/LinkPort.h"
#include "core/app/Prompt.h"
#include "core/app/ReaderToolDlg.h"
#include "core/link/FrameParser.h"

#include <string>
#include <vector>

// A port that records what the engine writes, one entry per Write.
class FakePort final : public ILinkPort {
public:
    int Open() override {
        m_open = m_openable;
        return m_open ? 1 : 0;
    }
    int Close() override {
        m_open = false;
        return 1;
    }
    int IsOpen() const override { return m_open ? 1 : 0; }
    int Write(const uint8_t* bytes, int count) override {
        writes.emplace_back(bytes, bytes + count);
        return 1;
    }
    void SetPortNumber(int port) override { m_port = port; }
    int GetPortNumber() const override { return m_port; }
    void SetBaudRate(uint32_t baud) override { m_baud = baud; }
    uint32_t GetBaudRate() const override { return m_baud; }
    int SetDtr() override { return ++dtrOn, 0; }
    int ClearDtr() override { return ++dtrOff, 0; }
    std::string LastErrorText() const override {
        return m_openable ? "" : "The device /dev/ttyS2 does not exist.";
    }

    // Payloads (command code first) of the frames written, decoded with the project's codec.
    std::vector<std::vector<uint8_t>> Payloads() const {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& w : writes) {
            CFrameParser parser;
            for (uint8_t b : w) {
                if (parser.PutByte(b) == CFrameParser::kGood) {
                    const auto& f = parser.Frame();
                    out.emplace_back(f.begin() + 3, f.end() - 1);
                }
            }
        }
        return out;
    }

    std::vector<std::vector<uint8_t>> writes;
    bool m_openable = true;
    int dtrOn = 0;
    int dtrOff = 0;

private:
    bool m_open = false;
    int m_port = 1;
    uint32_t m_baud = 9600;
};

class FakeSheet final : public IConfigSheet {
public:
    int ActivePage() const override { return active; }
    void BringToFront() override { ++raised; }
    int active = 0;
    int raised = 0;
};

class FakeView final : public IMainView {
public:
    void ShowTagFields(const std::string& cc, const std::string& id, const std::string& type,
                       const std::string& ev) override {
        tag = {cc, id, type, ev};
    }
    void ShowStatusLine(const std::string& text) override { statusLine = text; }
    void ShowConnectCaption(const std::string& caption) override { connectCaption = caption; }
    IConfigSheet* CreateConfigSheet() override {
        ++sheetsCreated;
        return &sheet;
    }
    void DestroyConfigSheet() override {}
    void ShowConfigPage(int index) override { sheet.active = index; }

    std::vector<std::string> tag{"", "", "", ""};
    std::string statusLine;
    std::string connectCaption;
    FakeSheet sheet;
    int sheetsCreated = 0;
};

class FakePrompt final : public IPrompt {
public:
    void Message(const std::string& text, const std::string& detail) override {
        messages.push_back({text, detail});
    }
    bool YesNo(const std::string&) override { return true; }
    std::string OpenFileName(const std::string&) override { return openPath; }
    std::string SaveFileName(const std::string&) override { return savePath; }

    std::vector<std::pair<std::string, std::string>> messages;
    std::string openPath;  // what the file dialogs answer; empty is "Cancel"
    std::string savePath;
};

// A tool window that keeps the answers the main window hands it.
class FakeToolWindow final : public IToolWindow {
public:
    void OnResponse(const uint8_t* frame, int length) override {
        responses.emplace_back(frame, frame + length);
    }
    std::vector<std::vector<uint8_t>> responses;
};

// An answer as the reader puts it on the line: STX, node, F0, 06, the command code, data, CRC, ETX.
inline std::vector<uint8_t> AnswerWire(std::vector<uint8_t> body, uint8_t status = 0x06) {
    body.insert(body.begin(), status);
    CFrameParser codec;
    return codec.BuildFrame(body);
}

// Records what the main window asks of the configuration pages.
class FakePages final : public IConfigPages {
public:
    void TickPage(int index) override { ticks.push_back(index); }
    void AnswerPage(int index, int, const uint8_t* frame) override { answers.push_back({index, frame[4]}); }
    void ShowMainStatus(int index, const std::string& message) override {
        statuses.push_back({index, message});
    }
    void SetProgressRangeAll(int high) override { ranges.push_back(high); }
    void StepProgressAll(int step) override { steps.push_back(step); }
    int Collect(ConfigRecord&) override {
        ++collected;
        return refuse ? -1 : 0;
    }
    void ShowAll(const ConfigRecord&) override { ++shown; }

    bool refuse = false;
    std::vector<int> ticks;
    std::vector<std::pair<int, uint8_t>> answers;
    std::vector<std::pair<int, std::string>> statuses;
    std::vector<int> ranges;
    std::vector<int> steps;
    int collected = 0;
    int shown = 0;
};

// A whole-configuration sequence that plays back a script of actions.
class FakeSequence final : public IConfigSequence {
public:
    int IsRunning() const override { return running ? 1 : 0; }
    int StartRead() override {
        running = true;
        return steps;
    }
    int StartWrite(const ConfigRecord&) override {
        running = true;
        return steps;
    }
    void Stop() override {
        running = false;
        ++stopped;
    }
    int OnAnswer(int, const uint8_t*) override { return completeOnAnswer ? kReadDone : kIgnored; }
    int BuildStep(CTelegram& request) override {
        if (script.empty()) {
            return kIdle;
        }
        const int action = script.front();
        script.erase(script.begin());
        request = CTelegram(0x29, "Read configuration request", kKindFrame);
        request.AppendByte(0x34);
        return action;
    }
    ConfigRecord GetReadRecord() const override { return {}; }

    bool running = false;
    int steps = 5;
    int stopped = 0;
    bool completeOnAnswer = false;
    std::vector<int> script;
};
