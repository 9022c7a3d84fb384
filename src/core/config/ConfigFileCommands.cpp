#include "core/config/ConfigFileCommands.h"

#include "core/config/ConfigFile.h"
#include "core/util/Format.h"

namespace ConfigFileCommands {

namespace {

std::string FileName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string LoadedText(const std::string& path, int found, const std::string& defaults, int unknown) {
    std::string text =
        Format("Loaded %s: %d setting%s", FileName(path).c_str(), found, found == 1 ? "" : "s");
    if (!defaults.empty()) {
        text += ", defaults for " + defaults;
    }
    if (unknown > 0) {
        text += Format("; %d unknown section%s skipped", unknown, unknown == 1 ? "" : "s");
    }
    return text;
}

void Save(IConfigPages& pages, IPrompt& prompt, int activePage) {
    std::string path = prompt.SaveFileNameProposing(ConfigFile::kFilter, ConfigFile::kProposedName);
    if (path.empty()) {
        return;
    }
    path = ConfigFile::WithExtension(path);
    ConfigRecord record;
    if (pages.Collect(record) != 0) {
        return;  // the refusing page has said why; the old file stays as it was
    }
    std::string error;
    if (ConfigFile::SaveFile(path, record, error) != 0) {
        prompt.Message("Cannot save the configuration to " + path, error);
        return;
    }
    pages.ShowMainStatus(activePage, "Saved " + FileName(path));
}

void Load(IConfigPages& pages, IPrompt& prompt, int activePage) {
    const std::string path = prompt.OpenFileName(ConfigFile::kFilter);
    if (path.empty()) {
        return;
    }
    ConfigRecord record;
    ConfigFile::Summary summary;
    std::string error;
    if (ConfigFile::LoadFile(path, record, summary, error) != 0) {
        prompt.Message("Cannot load the configuration from " + path, error);
        return;
    }
    // Shown, a wrapped or cut value would look valid and "Apply" would write it: the pages keep
    // what they hold, and the user learns every value to correct.
    const auto refusals = ConfigFile::Refusals(summary, true);
    if (!refusals.empty()) {
        std::string detail;
        for (const auto& refusal : refusals) {
            detail += (detail.empty() ? "" : "\n") + refusal;
        }
        prompt.Message("Cannot load the configuration from " + path, detail);
        return;
    }
    // The file's sync level is what the Additional page shows and writes; without this the page
    // would keep its old value and "Apply" would not write the file's.
    record.syncLevelRead = record.syncLevel;
    pages.ShowLoaded(record);
    pages.ShowMainStatus(
        activePage, LoadedText(path, summary.Found(), ConfigFile::DefaultsTaken(summary), summary.unknown));
}

}  // namespace ConfigFileCommands
