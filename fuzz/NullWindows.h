#pragma once

#include "core/app/WindowInterfaces.h"
#include "core/diagnosis/DiagnosisDlg.h"

// Where the windows under fuzzing send their requests and repaints: nowhere. The fuzzers look
// only for what the input does to the window itself.
class NullMain final : public IMainWindow {
public:
    void OnSendTelegram(const CTelegram&) override {}
    void OnSendNow(const CTelegram&) override {}
    void OnMainCommand(MainCommand, int) override {}
};

class NullView final : public IDiagnosisView {
public:
    void Repaint() override {}
};
