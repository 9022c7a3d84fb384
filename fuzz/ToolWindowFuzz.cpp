// The tool windows as the engine feeds them: received bytes and transmitted texts to the monitor
// and the Bluetooth console, delivered frames to every window's answer handler (datasets, test
// tools, service and diagnosis windows), ticks between. The Diagnosis window also draws what it
// was given.
#include "core/app/AppFakes.h"
#include "core/diagnosis/DiagnosisDlg.h"
#include "core/link/FrameParser.h"
#include "core/service/BluetoothDlg.h"
#include "core/service/LcdDlg.h"
#include "core/service/MemoryDlg.h"
#include "core/service/MonitorDlg.h"
#include "core/tags/DatabaseDlg.h"
#include "core/tags/TestToolsDlg.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/NullWindows.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    NullMain main;
    FakePrompt prompt;
    NullView view;
    CMonitorDlg monitor(main, [] { return int64_t{0}; });
    CBluetoothDlg console(main, prompt);
    CLcdDlg lcd(main);
    CMemoryDlg memory(main, prompt);
    CDiagnosisDlg diagnosis(main, prompt, view, true);
    CDatabaseDlg database(main, prompt);
    CTestToolsDlg testTools(main, prompt);
    const uint8_t mode = in.Byte();
    if ((mode & 1) != 0) {
        diagnosis.OnSampleFdx();
    } else if ((mode & 2) != 0) {
        diagnosis.OnSampleHdx();
    } else if ((mode & 4) != 0) {
        diagnosis.OnSampleUb();
    }
    if ((mode & 8) != 0) {
        diagnosis.OnDft();
    }
    diagnosis.OnStart();
    std::vector<IToolWindow*> windows = {&monitor,   &console,  &lcd,      &memory,
                                         &diagnosis, &database, &testTools};
    CFrameParser parser;
    while (!in.Empty()) {
        const uint8_t control = in.Byte();
        const auto batch = in.Take(control % 200 + 1);
        monitor.OnRxBytes(batch.data(), static_cast<int>(batch.size()));
        console.OnRxBytes(batch.data(), static_cast<int>(batch.size()));
        if (control >= 200) {
            // The traffic text of a transmission, which both windows append as well.
            const std::string text(batch.begin(), batch.end());
            monitor.OnTxBytes(text);
            console.OnTxBytes(text);
        }
        for (const uint8_t b : batch) {
            if (parser.PutByte(b) == CFrameParser::kGood) {
                const std::vector<uint8_t> frame = parser.Frame();
                for (IToolWindow* window : windows) {
                    window->OnResponse(frame.data(), static_cast<int>(frame.size()));
                }
            }
        }
        for (IToolWindow* window : windows) {
            window->OnTick();
        }
    }
    // Once, from what the window holds in the end: drawing after every batch took most of the
    // time of a run and found nothing a final drawing does not.
    Diagnosis::Draw(diagnosis.Snapshot({0, 0, 1000, 600}));
    return 0;
}
