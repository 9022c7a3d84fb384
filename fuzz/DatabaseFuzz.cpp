// The "Database" window on what reaches it from outside: a dataset file shown with "Open", or the
// answers of a read-all written to one file or a file per group.
#include "core/app/AppFakes.h"
#include "core/link/FrameParser.h"
#include "core/tags/DatabaseDlg.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/NullWindows.h"

#include <ctime>

namespace {

std::tm Fixed() {
    return std::tm{};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t mode = in.Byte();
    NullMain main;
    FakePrompt prompt;
    CDatabaseDlg database(main, prompt);
    database.SetClock(&Fixed);
    database.SetCountryNames([](int code) { return code == 276 ? std::string("Germany") : std::string(); });
    if ((mode & 1) != 0) {
        prompt.openPath = FuzzFile("datasets.txt", in.Take(size));
        database.OnOpen();
        // Further presses without a new choice show the file's next lines.
        prompt.openPath.clear();
        for (int i = 0; i < 8 && !database.Lines().empty(); ++i) {
            database.OnOpen();
        }
        return 0;
    }
    if ((mode & 2) != 0) {
        prompt.savePath = FuzzFolder() + "/read";
        database.m_newFilePerGroup = (mode & 4) != 0;
    }
    database.SetFast((mode & 8) != 0);
    database.OnGetAll();
    CFrameParser parser;
    while (!in.Empty()) {
        for (const uint8_t b : in.Take(in.Byte() % 64 + 1)) {
            if (parser.PutByte(b) == CFrameParser::kGood) {
                const std::vector<uint8_t> frame = parser.Frame();
                database.OnResponse(frame.data(), static_cast<int>(frame.size()));
            }
        }
        database.OnTick();
    }
    database.OnStop();
    return 0;
}
