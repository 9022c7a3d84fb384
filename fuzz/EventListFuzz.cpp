// Event list files as the Events page loads them and fills its controls from each line (what
// "Set" does line by line), and the developer inputs of the main window: the ".evt" event file
// and the country list, both hand-made text.
#include "core/app/DeveloperTools.h"
#include "core/app/Prompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/config/ProPageEvent.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/NullWindows.h"

#include <string>

namespace {

class FilePrompt final : public IPrompt {
public:
    void Message(const std::string&, const std::string&) override {}
    bool YesNo(const std::string&) override { return true; }
    std::string OpenFileName(const std::string&) override { return path; }
    std::string SaveFileName(const std::string&) override { return {}; }
    std::string path;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t mode = in.Byte();
    const auto rest = in.Take(size);
    if ((mode & 1) != 0) {
        const std::string text(reinterpret_cast<const char*>(rest.data()), rest.size());
        DeveloperTools::ReadEventList(text);
        DeveloperTools::BuildCountryCodeTable(text, (mode & 2) != 0);
        return 0;
    }
    NullMain main;
    FilePrompt prompt;
    prompt.path = FuzzFile("eventlist.txt", rest);
    CProPageEvent page(main);
    page.SetPrompt(&prompt);
    page.OnCreate();
    page.OnListLoad();
    const int lines = static_cast<int>(page.EventList().size());
    for (int line = 1; line <= CProPageEvent::kDatasets && line <= lines; ++line) {
        if (page.FillFromLine(line)) {
            page.OnAssignDataset();
        }
    }
    return 0;
}
