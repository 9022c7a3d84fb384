// Lines of the event database file, which people edit by hand: splitting and matching.
#include "core/tags/EventDatabase.h"

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
    return 0;
}
