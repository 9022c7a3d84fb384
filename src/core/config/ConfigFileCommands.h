#pragma once

#include "core/app/ConfigHooks.h"
#include "core/app/Prompt.h"

#include <string>

// "Save" and "Load" of the configuration pages: a file dialog, the configuration collected from
// or shown on the pages, and a status line on the active page that says what happened.
namespace ConfigFileCommands {

void Save(IConfigPages& pages, IPrompt& prompt, int activePage);
void Load(IConfigPages& pages, IPrompt& prompt, int activePage);

// "Loaded old.cfg: 15 settings, defaults for IO, Bluetooth Mode; 1 unknown section skipped".
std::string LoadedText(const std::string& path, int found, const std::string& defaults, int unknown);

}  // namespace ConfigFileCommands
