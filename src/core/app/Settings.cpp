#include "core/app/Settings.h"

#include "core/util/Format.h"

namespace {

void ParseInto(const std::string& text, int& field) {
    int value = 0;
    if (ParseInt(text, value)) {
        field = value;
    }
}

}  // namespace

void AppSettings::ParseComport(const std::string& text) {
    const auto comma = text.find(',');
    ParseInto(text.substr(0, comma), port);
    if (comma != std::string::npos) {
        ParseInto(text.substr(comma + 1), baud);
    }
}

void AppSettings::Load(ISettingsStore& store) {
    ParseComport(store.ReadSetting(kSection, "comport", "-1,CBR_9600"));
    ParseInto(store.ReadSetting(kSection, "node", "255"), node);
    ParseInto(store.ReadSetting(kSection, "eventdatabase", "0"), eventDatabase);
    reconnect = 1;
    ParseInto(store.ReadSetting(kSection, "reconnect", "1"), reconnect);
    reconnect = reconnect != 0 ? 1 : 0;
}

void AppSettings::Save(ISettingsStore& store) const {
    store.WriteSetting(kSection, "comport", Format("%d,%d", port, baud));
    store.WriteSetting(kSection, "node", Format("%d", node));
    store.WriteSetting(kSection, "eventdatabase", Format("%d", eventDatabase));
    store.WriteSetting(kSection, "reconnect", Format("%d", reconnect));
}
