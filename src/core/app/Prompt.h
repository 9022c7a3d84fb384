#pragma once

#include <string>

// Message boxes, yes/no questions and file dialogs as the logic sees them, so tests can answer.
class IPrompt {
public:
    virtual ~IPrompt() = default;
    virtual void Message(const std::string& text, const std::string& detail = {}) = 0;
    virtual bool YesNo(const std::string& text) = 0;
    // filter as in "Configuration files (*.cfg)"; an empty result means cancelled.
    virtual std::string OpenFileName(const std::string& filter) = 0;
    virtual std::string SaveFileName(const std::string& filter) = 0;
    // A message is still on screen, unanswered: a sequence that would raise the next one waits.
    virtual bool IsMessageOpen() const { return false; }
    // As SaveFileName, with a file name proposed to the user.
    virtual std::string SaveFileNameProposing(const std::string& filter, const std::string& /*name*/) {
        return SaveFileName(filter);
    }
};
