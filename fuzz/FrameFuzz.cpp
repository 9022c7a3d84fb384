// Everything that reads a frame delivered by the frame receiver: answer names, the tag decoder
// and every configuration page's answer handler, plus the tag-line receiver on the same bytes.
#include "core/app/Prompt.h"
#include "core/config/ConfigPages.h"
#include "core/link/FrameParser.h"
#include "core/link/TagLineParser.h"
#include "core/tags/TransponderId.h"
#include "fuzz/NullWindows.h"

#include <string>
#include <vector>

namespace {

class NullPrompt final : public IPrompt {
public:
    void Message(const std::string&, const std::string&) override {}
    bool YesNo(const std::string&) override { return true; }
    std::string OpenFileName(const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&) override { return {}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static NullMain main;
    static NullPrompt prompt;
    static CConfigPages pages(main, prompt);
    CFrameParser parser;
    CTagLineParser lines;
    CTransponderId id;
    for (size_t i = 0; i < size; ++i) {
        if (lines.PutChar(data[i]) != 0) {
            lines.GetLine();
        }
        const int result = parser.PutByte(data[i]);
        if (result == CFrameParser::kNone) {
            continue;
        }
        // Exactly sized, so that reading one byte past the frame is caught.
        const std::vector<uint8_t> frame = parser.Frame();
        std::string name;
        parser.GetAnswerName(name);
        id.DecodeTagData(frame);
        for (int page = 0; page < CConfigPages::kCount; ++page) {
            pages.AnswerPage(page, static_cast<int>(frame.size()), frame.data());
            pages.TickPage(page);
        }
    }
    return 0;
}
