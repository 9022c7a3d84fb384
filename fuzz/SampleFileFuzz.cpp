// A ".dat" sample file loaded into the Diagnosis window, then shown every way the window can:
// each mode, with and without the spectrum, zoomed, shifted, read out under the cursor and
// exported.
#include "core/app/AppFakes.h"
#include "core/diagnosis/DiagnosisDlg.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/NullWindows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t mode = in.Byte();
    const uint8_t view = in.Byte();
    NullMain main;
    FakePrompt prompt;
    NullView repaint;
    CDiagnosisDlg diagnosis(main, prompt, repaint, true);
    auto& fields = diagnosis.Data();
    fields.sampleFdx = (mode & 1) != 0;
    fields.sampleHdx = (mode & 2) != 0;
    fields.sampleUb = (mode & 4) != 0;
    fields.average = (mode & 8) != 0;
    fields.line = (mode & 16) != 0;
    fields.log = (mode & 32) != 0;
    fields.oscilloscope = (mode & 64) == 0;
    fields.zoomIndex = view % 5 - 1;
    fields.gain = std::to_string(static_cast<int>(view) - 100);
    if ((mode & 128) != 0) {
        fields.dft = true;
    }
    prompt.openPath = FuzzFile("samples.dat", in.Take(size));
    diagnosis.OnLoad();
    const Area area{0, 0, 640, 400};
    Diagnosis::Draw(diagnosis.Snapshot(area));
    diagnosis.OnWheel(area, view, (view & 7) - 3);
    diagnosis.OnDragStart();
    diagnosis.OnDrag(area, static_cast<int>(view) - 128);
    Diagnosis::Draw(diagnosis.Snapshot(area));
    for (const int x : {-1, 0, 320, 639, 640}) {
        diagnosis.Readout(area, x);
    }
    if ((view & 8) != 0) {
        // 512 formatted lines: every other input is enough to reach all of it.
        diagnosis.Csv();
    }
    return 0;
}
