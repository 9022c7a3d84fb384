// Long runs against the simulated reader on a bad line, in simulated time: nothing may grow.
#include "../core/app/AppFakes.h"

#include "core/link/Commands.h"
#include "sim/SimLink.h"

#include <gtest/gtest.h>

#include <malloc.h>

namespace {

size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// One hour of tag reports every second and a request every ten seconds, on a line that drops,
// corrupts, echoes, splits and adds noise; the heap after the first minutes stays where it was.
TEST(Soak, AnHourOfTagsAndRequestsOnABadLineKeepsMemoryFlat) {
    SimLink link(1, 2024);
    FakeView view;
    FakePrompt prompt;
    CReaderToolDlg dlg(link, view, prompt);
    link.SetReceiver([&dlg](const uint8_t* bytes, int count) { dlg.OnRxBytes(bytes, count); });
    link.Reader().SetFaults(
        {.dropPercent = 10, .corruptPercent = 5, .echo = true, .split = true, .noise = true});
    link.Reader().SetTagInterval(1000);
    dlg.Start(AppSettings{1, 9600, 1, 0}, {});

    constexpr int kTicksPerMinute = 600;
    size_t settled = 0;
    int tagsShown = 0;
    std::string lastId;
    for (int tick = 0; tick < 60 * kTicksPerMinute; ++tick) {
        if (tick % 100 == 0) {
            dlg.OnSendTelegram(CTelegram(Cmd::kVersion, Desc::kVersion, kKindFrame));
        }
        link.Advance(100);
        dlg.OnTimer();
        if (view.tag[1] != lastId) {
            lastId = view.tag[1];
            ++tagsShown;
        }
        if (tick == 5 * kTicksPerMinute) {
            settled = HeapInUse();
        }
    }
    EXPECT_GT(tagsShown, 100) << "tags keep coming through the faults";
    EXPECT_TRUE(prompt.messages.empty());
    // A little slack for allocator bookkeeping; a leak of one frame per request would be ~100 KiB.
    EXPECT_LT(HeapInUse(), settled + 16 * 1024);
}

}  // namespace
