#include "core/app/LineTiming.h"

#include "core/link/Commands.h"
#include "core/link/FrameParser.h"
#include "core/util/Format.h"

#include <algorithm>
#include <chrono>

int64_t CLineTiming::SteadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

AnswerKey AnswerKey::OfRequest(const uint8_t* payload, int length) {
    AnswerKey key;
    if (payload == nullptr || length < 1) {
        return key;
    }
    key.code = payload[0];
    if (Cmd::IsMultiFunction(key.code) && length >= 2) {
        key.sub = payload[1];
    }
    return key;
}

bool AnswerKey::OfAnswer(const uint8_t* frame, int length, AnswerKey& key) {
    // STX, address, marker, status, code, CRC.
    if (frame == nullptr || length < 6 || (frame[3] != CFrameParser::kAck && frame[3] != CFrameParser::kNak)) {
        return false;
    }
    key = AnswerKey{frame[4], -1};
    // The sub-code is byte 5 when that byte is not the CRC.
    if (Cmd::IsMultiFunction(key.code) && length >= 7) {
        key.sub = frame[5];
    }
    return true;
}

bool AnswerKey::Matches(const AnswerKey& answer) const {
    // A refusal that leaves the sub-code out refuses whatever was asked under its code.
    return code == answer.code && (sub == -1 || answer.sub == -1 || sub == answer.sub);
}

int64_t CLineTiming::RtoMs() const {
    const int64_t measured = m_measured ? m_srtt + std::max(kGranularityMs, 4 * m_rttvar) : 0;
    return std::min(std::max(measured, m_backoffMs), kMaxRtoMs);
}

int64_t CLineTiming::OwedMs() const {
    if (!m_measured) {
        return std::max(kFirstAnswerMs, 2 * RtoMs());
    }
    return std::clamp(2 * RtoMs(), kMinOwedMs, kMaxOwedMs);
}

void CLineTiming::Sample(int64_t rtt) {
    rtt = std::max<int64_t>(rtt, 0);
    if (!m_measured) {
        m_srtt = rtt;
        m_rttvar = rtt / 2;
    } else {
        const int64_t delta = m_srtt > rtt ? m_srtt - rtt : rtt - m_srtt;
        m_rttvar = (3 * m_rttvar + delta) / 4;
        m_srtt = (7 * m_srtt + rtt) / 8;
    }
    m_measured = true;
}

CLineTiming::Request* CLineTiming::Find(uint64_t id) {
    const auto it =
        std::find_if(m_requests.begin(), m_requests.end(), [id](const Request& r) { return r.id == id; });
    return it != m_requests.end() ? &*it : nullptr;
}

const CLineTiming::Request* CLineTiming::Latest(const uint8_t* payload, int length) const {
    const auto it = std::find_if(m_requests.rbegin(), m_requests.rend(), [&](const Request& r) {
        return static_cast<int>(r.payload.size()) == length &&
               std::equal(r.payload.begin(), r.payload.end(), payload);
    });
    return it != m_requests.rend() ? &*it : nullptr;
}

void CLineTiming::OnTransmit(const uint8_t* payload, int length, int64_t nowMs) {
    if (payload == nullptr || length < 1) {
        return;
    }
    // A transmission of a request still unanswered is its repetition; once answered, the same
    // bytes ask again.
    const Request* latest = Latest(payload, length);
    Request* request = latest != nullptr ? Find(latest->id) : nullptr;
    if (request == nullptr || request->answered || nowMs - request->lastSent >= OwedMs()) {
        Request fresh;
        fresh.id = m_nextId++;
        fresh.payload.assign(payload, payload + length);
        fresh.key = AnswerKey::OfRequest(payload, length);
        fresh.firstSent = nowMs;
        m_requests.push_back(std::move(fresh));
        request = &m_requests.back();
        if (m_requests.size() > kMaxTracked) {
            const uint64_t dropped = m_requests.front().id;
            m_requests.pop_front();
            std::erase_if(m_outstanding, [dropped](const Transmission& t) { return t.request == dropped; });
        }
    }
    request->lastSent = nowMs;
    ++request->transmissions;
    m_outstanding.push_back({request->id, request->key, nowMs});
    if (m_outstanding.size() > kMaxTracked) {
        m_outstanding.pop_front();
    }
}

CLineTiming::Fate CLineTiming::OnFrame(const uint8_t* frame, int length, int64_t nowMs) {
    m_answered.clear();
    AnswerKey key;
    if (!AnswerKey::OfAnswer(frame, length, key)) {
        return Fate::kNoAnswer;
    }
    std::erase_if(m_outstanding, [&](const Transmission& t) { return !Owed(t, nowMs); });
    const auto it = std::find_if(m_outstanding.begin(), m_outstanding.end(),
                                 [&](const Transmission& t) { return t.key.Matches(key); });
    if (it == m_outstanding.end()) {
        m_lastAnswerAt = nowMs;
        return Fate::kUnclaimed;
    }
    const Transmission t = *it;
    // In order: what went out before it will not be answered any more.
    m_outstanding.erase(m_outstanding.begin(), it + 1);
    m_lastAnswerAt = nowMs;
    Request* request = Find(t.request);
    if (request == nullptr || request->answered) {
        return Fate::kLate;
    }
    if (request->transmissions == 1) {
        Sample(nowMs - t.sentAt);
        m_backoffMs = 0;
    } else {
        // Which of the transmissions this answers cannot be told (Karn): no sample, but the
        // next requests wait as long as this one took before they are repeated, so that their
        // answers can be told apart.
        m_backoffMs = std::min(std::max(m_backoffMs, nowMs - request->firstSent), kMaxRtoMs);
    }
    // A later request of the same key went out since: this one was given up.
    for (const auto& r : m_requests) {
        if (r.id > request->id && r.key.Matches(request->key)) {
            return Fate::kLate;
        }
    }
    request->answered = true;
    m_answered = request->payload;
    return Fate::kAnswer;
}

bool CLineTiming::HoldsRepeat(const uint8_t* payload, int length, bool giveUp, int64_t nowMs) const {
    const Request* request = Latest(payload, length);
    if (request == nullptr || request->answered) {
        return false;
    }
    if (giveUp && !m_measured && nowMs - request->firstSent < kFirstAnswerMs) {
        return true;
    }
    return nowMs - request->lastSent < RtoMs();
}

bool CLineTiming::Blocks(const uint8_t* payload, int length, int64_t nowMs) const {
    const AnswerKey key = AnswerKey::OfRequest(payload, length);
    const Request* own = Latest(payload, length);
    const uint64_t ownId = own != nullptr && !own->answered ? own->id : 0;
    return std::any_of(m_outstanding.begin(), m_outstanding.end(), [&](const Transmission& t) {
        return t.request != ownId && t.key.Matches(key) && Owed(t, nowMs);
    });
}

void CLineTiming::ForgetOutstanding() {
    m_backoffMs = 0;
    m_lastAnswerAt = 0;
    m_outstanding.clear();
    m_requests.clear();
    m_answered.clear();
}

std::string CLineTiming::Describe() const {
    if (!m_measured) {
        return "Round trip not measured yet";
    }
    return Format("Round trip %lld ms, variation %lld ms, repeats after %lld ms",
                  static_cast<long long>(m_srtt), static_cast<long long>(m_rttvar),
                  static_cast<long long>(RtoMs()));
}
