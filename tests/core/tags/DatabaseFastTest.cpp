// The read-all's pacing through the real engine: what leaves on the line after each tick and
// each answer, by default one request a tick, with the fast option one per answer.
#include "core/app/AppFakes.h"

#include "core/link/Commands.h"
#include "core/tags/DatabaseDlg.h"
#include "core/util/Format.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<uint8_t> DatasetAnswer(uint8_t n) {
    // National ID n, 276 Germany, FDX-B, 1 January 08:00:00.
    return AnswerWire({Cmd::kDatasets, Sub58::kReadDataset, 0, n, 0x06, n, 0, 0, 0, 0x00, 276 >> 2, 0, 0, 5,
                       0, 0, 0x10, 0x11});
}

struct FastRig {
    explicit FastRig(bool fast) : engine(port, view, prompt), db(engine, prompt) {
        engine.Start(AppSettings{1, 9600, 1, 0}, {});
        db.SetFast(fast);
        engine.Windows().Register(Caption::kDatabase, &db);
        db.OnGetAll();
    }

    // Steps: "T" a tick, "A3" the amount 3, "D2" dataset 2's answer. Each step followed by what
    // went out: ">amt" the amount request, ">2" dataset 2's request, ">" nothing.
    std::string Drive(const std::string& steps) {
        std::istringstream in(steps);
        std::string step;
        std::string log;
        while (in >> step) {
            const size_t before = port.writes.size();
            if (step == "T") {
                engine.OnTimer();
            } else {
                const auto n = static_cast<uint8_t>(std::stoi(step.substr(1)));
                const auto wire =
                    step[0] == 'A' ? AnswerWire({Cmd::kDatasets, Sub58::kGetAmount, 0, n}) : DatasetAnswer(n);
                engine.OnRxBytes(wire.data(), static_cast<int>(wire.size()));
            }
            log += (log.empty() ? "" : " ") + step + ">";
            FakePort sent;
            sent.writes.assign(port.writes.begin() + static_cast<std::ptrdiff_t>(before), port.writes.end());
            for (const auto& p : sent.Payloads()) {
                if (p[0] == Cmd::kDatasets) {
                    log += p[1] == Sub58::kGetAmount ? "amt" : Format("%d", p[3]);
                }
            }
        }
        return log;
    }

    FakePort port;
    FakeView view;
    FakePrompt prompt;
    CReaderToolDlg engine;
    CDatabaseDlg db;
};

TEST(DatabaseFast, RequestsLeaveByTickOrByAnswer) {
    const struct {
        const char* name;
        bool fast;
        const char* steps;
        const char* sent;
    } rows[] = {
        {"per tick: the amount's wait runs out, then one request a tick", false, "T A2 T T T D1 T D2 T",
         "T>amt A2> T> T> T>1 D1> T>2 D2> T>"},
        {"fast: each answer sends the next request at once", true, "T A3 D1 D2 D3 T",
         "T>amt A3>1 D1>2 D2>3 D3> T>"},
        {"fast: a lost answer is asked again by the tick, a late copy is not taken twice", true,
         "T A2 T T T D1 D1 T T T D2 T", "T>amt A2>1 T> T> T>1 D1>2 D1> T> T> T>2 D2> T>"},
    };
    for (const auto& row : rows) {
        FastRig rig(row.fast);
        EXPECT_EQ(rig.Drive(row.steps), row.sent) << row.name;
        // Each dataset once, in order.
        std::string lines;
        for (const auto& line : rig.db.Lines()) {
            lines += line.substr(0, 17) + ";";
        }
        EXPECT_EQ(lines, std::string("Group 1;0276,000000000001;0276,000000000002;") +
                             (row.steps[3] == '3' ? "0276,000000000003;" : ""))
            << row.name;
        EXPECT_EQ(rig.db.ReadAllEnd(), CDatabaseDlg::End::kComplete) << row.name;
    }
}

// Day, month, hour, minute and second all differ, so a swap of any two shows.
TEST(DatasetLine, TheTimeStampsFieldsEachInTheirPlace) {
    for (const auto& [w, text] :
         {std::pair<uint32_t, const char*>{12 | 5 << 4 | 10 << 9 | 30 << 14 | 15 << 21, "05:12:07,10:30:15"},
          {5 | 12 << 4 | 7 << 9 | 15 << 14 | 30 << 21, "12:05:07,07:15:30"}}) {
        // clang-format off
        const uint8_t record[13] = {0x67, 0x12, 0, 0, 0x00, 276 >> 2, 0, 0x80, 5, static_cast<uint8_t>(w >> 24),
                                    static_cast<uint8_t>(w >> 16), static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(w)};
        // clang-format on
        EXPECT_EQ(CDatabaseDlg::DatasetLine(record), std::string("0276,000000004711,FDX-B,") + text);
    }
}

}  // namespace
