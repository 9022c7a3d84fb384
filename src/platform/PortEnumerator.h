#pragma once

#include "core/app/PortList.h"

#include <vector>

// The machine's serial devices with their descriptions and stable /dev/serial/by-id names.
std::vector<SystemPort> EnumerateSystemPorts();
