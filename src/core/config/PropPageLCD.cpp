#include "core/config/PropPageLCD.h"

#include "core/link/Commands.h"

#include <algorithm>

CPropPageLCD::CPropPageLCD(IMainWindow& mainWindow) : CConfigPage(mainWindow, "LCD", 142) {}

void CPropPageLCD::OnCreate() {
    CConfigPage::OnCreate();
    m_contrast = 0;
    UpdateView();
}

void CPropPageLCD::OnContrastSpin(int step) {
    const int proposed = m_contrast + step;
    // The reader accepts more contrast steps than the field offers.
    if (proposed >= 0 && proposed <= kSendMax) {
        SetStatus("Set LCD contrast", kRequestTicks);
        CTelegram request(Cmd::kSetLcdContrast, Desc::kSetLcdContrast, kKindFrame);
        request.AppendByte(static_cast<uint8_t>(proposed));
        SendRequest(request);
    }
    m_contrast = std::clamp(proposed, kFieldMin, kFieldMax);
    UpdateView();
}

void CPropPageLCD::HandleAnswer(int length, const uint8_t* frame) {
    if (frame[4] == Cmd::kSetLcdContrast && IsAck(length, frame)) {
        EndRequest();
        SetStatus(SuccessText(), kAnswerTicks);
    } else {
        HandleResetAnswer(length, frame);
    }
}
