#include "sim/EventTables.h"

#include "core/link/Commands.h"
#include "core/link/FrameParser.h"
#include "sim/AnswerBody.h"

#include <algorithm>

namespace {
constexpr size_t kEventRecord = 24;
}  // namespace

EventTables::EventTables() : m_strings{"Vaccination", "Selection", "Sale"} {}

bool EventTables::Owns(uint8_t code, const uint8_t* args, size_t count) {
    if (code == Cmd::kShowEvent) {
        return true;
    }
    if (code != Cmd::kService || count < 1) {
        return false;
    }
    switch (args[0]) {
        case Sub9F::kReadEventDataset:
        case Sub9F::kAssignEventDataset:
        case Sub9F::kClearEventDataset:
        case Sub9F::kReadEventString:
        case Sub9F::kAssignEventString:
            return true;
        default:
            return false;
    }
}

bool EventTables::Execute(uint8_t code, const uint8_t* args, size_t count, Bodies& answers) {
    if (code == Cmd::kShowEvent) {
        // 0x00, then the event record.
        if (count != 1 + kEventRecord || args[0] != 0x00) {
            return false;
        }
        m_shown.assign(args + 1, args + count);
        answers.push_back(AckBody(code));
        return true;
    }
    return ExecuteService(args[0], args + 1, count - 1, answers);
}

bool EventTables::ExecuteService(uint8_t sub, const uint8_t* args, size_t count, Bodies& answers) {
    // Every request names its table entry with a 16-bit number first.
    if (count < 2) {
        return false;
    }
    const size_t n = static_cast<size_t>(args[0] << 8 | args[1]);
    auto body = AckBody(Cmd::kService, {sub, args[0], args[1]});
    const bool isString = sub == Sub9F::kReadEventString || sub == Sub9F::kAssignEventString;
    const size_t limit = isString ? kStrings : kDatasets;
    if (n < 1 || n > limit) {
        body.push_back(kOutOfRange);
        answers.push_back(std::move(body));
        return true;
    }
    switch (sub) {
        case Sub9F::kReadEventString: {
            const std::string& text = m_strings[n - 1];
            body.push_back(CFrameParser::kAck);
            body.push_back(static_cast<uint8_t>(text.size()));
            body.insert(body.end(), text.begin(), text.end());
            break;
        }
        case Sub9F::kAssignEventString: {
            if (count < 3 || args[2] > kMaxText || count < 3u + args[2]) {
                return false;
            }
            m_strings[n - 1].assign(args + 3, args + 3 + args[2]);
            body.push_back(CFrameParser::kAck);
            break;
        }
        case Sub9F::kReadEventDataset: {
            const Dataset& d = m_datasets[n - 1];
            body.push_back(d.used ? CFrameParser::kAck : kOutOfRange);
            if (d.used) {
                body.insert(body.end(), d.isoCode.begin(), d.isoCode.end());
                body.push_back(d.event);
            }
            break;
        }
        case Sub9F::kAssignEventDataset: {
            if (count < 11) {
                return false;
            }
            Dataset d;
            d.used = true;
            std::copy(args + 2, args + 10, d.isoCode.begin());
            d.event = args[10];
            if (d.event < 1 || d.event > kStrings) {
                body.push_back(kOutOfRange);
                break;
            }
            // A transponder has one event: another dataset holding it refuses the assignment.
            const bool taken = std::any_of(m_datasets.begin(), m_datasets.end(), [&](const Dataset& o) {
                return o.used && o.isoCode == d.isoCode && &o != &m_datasets[n - 1];
            });
            if (taken) {
                body.push_back(kInUse);
                break;
            }
            m_datasets[n - 1] = d;
            body.push_back(CFrameParser::kAck);
            break;
        }
        case Sub9F::kClearEventDataset:
            m_datasets[n - 1] = Dataset{};
            body.push_back(CFrameParser::kAck);
            break;
        default:
            return false;
    }
    answers.push_back(std::move(body));
    return true;
}
