#pragma once

#include "../core/app/AppFakes.h"
#include "../core/tags/TagsTestSupport.h"

#include "core/app/ReaderToolDlg.h"
#include "core/config/ConfigPages.h"
#include "core/tags/DatabaseDlg.h"
#include "sim/SimLink.h"

#include <unistd.h>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// The engine on a simulated reader, with the requests the reader received.
struct TagRig {
    TagRig() : link(1, 7), engine(link, view, prompt) {
        link.SetReceiver([this](const uint8_t* bytes, int count) { engine.OnRxBytes(bytes, count); });
        link.Reader().SetRequestObserver(
            [this](uint8_t, const std::vector<uint8_t>& payload) { requests.push_back(payload); });
        engine.Start(AppSettings{1, 9600, 1, 0}, {});
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            link.Advance(100);
            engine.OnTimer();
        }
    }
    // Requests received with this command code (and sub-code, when given).
    std::vector<std::vector<uint8_t>> With(uint8_t code, int sub = -1) const {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& r : requests) {
            if (r[0] == code && (sub < 0 || (r.size() > 1 && r[1] == sub))) {
                out.push_back(r);
            }
        }
        return out;
    }

    SimLink link;
    FakeView view;
    TagPrompt prompt;
    CReaderToolDlg engine;
    std::vector<std::vector<uint8_t>> requests;
};

// 2026-03-08 14:07:09, the time the windows stamp their file names with.
inline std::tm FixedClock() {
    std::tm t{};
    t.tm_year = 126, t.tm_mon = 2, t.tm_mday = 8, t.tm_hour = 14, t.tm_min = 7, t.tm_sec = 9;
    return t;
}

// The Database window on the rig.
struct DatabaseRig : TagRig {
    DatabaseRig() : db(engine, prompt) {
        db.SetClock(FixedClock);
        engine.Windows().Register(Caption::kDatabase, &db);
    }
    CDatabaseDlg db;
};

// The configuration sheet open on its Events page.
struct EventsRig : TagRig {
    EventsRig() : pages(engine, prompt) {
        engine.SetConfigPages(&pages);
        view.sheet.active = CConfigPages::kEvents;
        engine.OnConfigurationButton();
        page().SetClock(FixedClock);
        page().OnCreate();
    }
    CProPageEvent& page() { return pages.Events(); }
    CConfigPages pages;
};
