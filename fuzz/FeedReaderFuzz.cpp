// What `follow` makes of the bytes a local socket delivers: any peer may listen where a tool's
// feed is expected, so its lines are input from outside.
#include "core/tags/FeedReader.h"
#include "core/tags/TagLine.h"

#include <algorithm>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A line that reads back is written again as the same fields: what follow passes on is
    // what the tool meant.
    TagFields fields;
    if (TagLine::Parse(std::string_view(reinterpret_cast<const char*>(data), size), fields)) {
        TagFields again;
        if (!TagLine::Parse(TagLine::Json(fields), again) || TagLine::Json(again) != TagLine::Json(fields)) {
            std::abort();
        }
        TagLine::Plain(fields);
    }
    // The same bytes in the pieces the socket happens to deliver: a reader prints the same
    // whatever the cuts.
    FeedReader whole(true);
    std::string wholeOut;
    std::string note;
    whole.Put(data, size, wholeOut, note);
    FeedReader json(true);
    FeedReader plain(false);
    std::string jsonOut;
    std::string plainOut;
    for (size_t i = 0; i < size;) {
        const size_t piece = std::min<size_t>(size - i, data[i] % 64 + 1u);
        json.Put(data + i, piece, jsonOut, note);
        plain.Put(data + i, piece, plainOut, note);
        note.clear();
        i += piece;
    }
    if (jsonOut != wholeOut) {
        std::abort();
    }
    return 0;
}
