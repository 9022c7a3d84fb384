// The tool's whole receive path: bytes as the port delivers them, in batches, with ticks
// between, reaching the engine, the open configuration sheet's pages and the tag display.
#include "core/app/AppFakes.h"
#include "core/config/ConfigPages.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    FakePort port;
    FakeView view;
    FakePrompt prompt;
    CReaderToolDlg dlg(port, view, prompt);
    CConfigPages pages(dlg, prompt);
    dlg.Start(AppSettings{1, 9600, 1, 0}, {});
    dlg.SetConfigPages(&pages);
    dlg.OnConfigurationButton();
    view.sheet.active = in.Byte() % CConfigPages::kCount;
    while (!in.Empty()) {
        const uint8_t control = in.Byte();
        const auto batch = in.Take(control % 128 + 1);
        dlg.OnRxBytes(batch.data(), static_cast<int>(batch.size()));
        for (int tick = 0; tick < control / 128; ++tick) {
            dlg.OnTimer();
        }
        port.writes.clear();
    }
    return 0;
}
