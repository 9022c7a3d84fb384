// The configuration file reader: whatever a hand-edited or foreign .cfg file holds.
#include "core/config/ConfigFile.h"

#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    ConfigRecord record;
    ConfigFile::Summary summary;
    ConfigFile::ReadConfigFile(in, record, &summary);
    // What was read must be writable again.
    std::ostringstream out;
    ConfigFile::WriteConfigFile(out, record);
    return 0;
}
