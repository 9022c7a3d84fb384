// The event database file, which people edit by hand: its lines split and matched one by one,
// and the whole file listed, searched and sorted as the Event Database window and every tag
// read do.
#include "core/app/AppFakes.h"
#include "core/tags/EventDatabase.h"
#include "fuzz/FuzzInput.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(start, end - start);
        std::string id;
        std::string event;
        CEventDatabase::SplitEntryLine(line, id, event);
        CEventDatabase::MatchEntry(line, "984000123456789", event);
        CEventDatabase::MatchEntry(line, "6789", event);
        CEventDatabase::PadEvent(event);
        start = end + 1;
    }
    const CEventDatabase database(FuzzFile("EventDatabase.txt", {data, size}));
    database.ListLines();
    database.FindEvent("123456789012");
    CEventDatabase::EventRecord record{};
    database.LookupEvent("4711", record);
    if (size % 8 == 0) {
        // Rewrites the file and its backup: one input in eight is enough.
        FakePrompt prompt;
        database.Sort(prompt);
    }
    return 0;
}
