#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// Which request an answer frame can belong to: the command code it repeats and, for the
// multi-function codes 0x58, 0x60 and 0x9F, the sub-code.
struct AnswerKey {
    uint8_t code = 0;
    int sub = -1;  // -1: none (another code, or a refusal that did not repeat it)

    static AnswerKey OfRequest(const uint8_t* payload, int length);
    // false when the frame (STX up to the CRC) is no answer: a tag data message, a frame too short
    // to name a command, or another status than acknowledge and non-acknowledge.
    static bool OfAnswer(const uint8_t* frame, int length, AnswerKey& key);
    bool Matches(const AnswerKey& answer) const;
};

// What the line owes and how long it takes to answer. Every framed transmission is recorded;
// every answer is given to the oldest transmission of its key that still waits, since a reader
// answers in the order of its requests and a serial line keeps that order. For the same reason
// an answer tells that every transmission before the one it answers has lost its answer. Answers
// to 0x29 reads carry no address, so this is the only way to tell the late answer to a repeated
// read from the answer to the next read.
//
// The round trip of each request answered after a single transmission feeds a smoothed estimate
// and its variation, as TCP's retransmission timer does (RFC 6298, with Karn's rule for repeated
// requests): a request is repeated only once the estimate's time-out has passed, so that a slow
// line is waited for instead of being flooded with repeats.
class CLineTiming final {
public:
    // One tick: a shorter round trip cannot be told apart from an immediate answer.
    static constexpr int64_t kGranularityMs = 100;
    static constexpr int64_t kMaxRtoMs = 5000;
    // How long the first answer on a line not yet measured is waited for before a request is given
    // up: RFC 6298's initial time-out.
    static constexpr int64_t kFirstAnswerMs = 1000;
    // An unanswered transmission stops being owed an answer after twice the time-out, within
    // these bounds; until then a request of the same key waits.
    static constexpr int64_t kMinOwedMs = 1000;
    static constexpr int64_t kMaxOwedMs = 10000;
    static constexpr size_t kMaxTracked = 32;

    enum class Fate {
        kNoAnswer,   // a tag data message, or nothing that names a command
        kUnclaimed,  // an answer no transmission waits for
        kAnswer,     // the first answer to a request
        kLate,       // owed by a repeat of a request that already took an answer, or by one since given up
    };

    // Milliseconds on the system's steady clock, for programs that measure the real line.
    static int64_t SteadyNowMs();

    void OnTransmit(const uint8_t* payload, int length, int64_t nowMs);
    Fate OnFrame(const uint8_t* frame, int length, int64_t nowMs);
    // The request the last frame answered (its payload, command code first); empty unless the
    // last frame's fate was kAnswer.
    const std::vector<uint8_t>& AnsweredRequest() const { return m_answered; }

    // A repetition (or, with giveUp, the end) of a transmitted request waits while this is true.
    bool HoldsRepeat(const uint8_t* payload, int length, bool giveUp, int64_t nowMs) const;
    // The first transmission of a request waits while an earlier request of the same key still
    // owes an answer: that answer would be taken for this one's.
    bool Blocks(const uint8_t* payload, int length, int64_t nowMs) const;

    bool Measured() const { return m_measured; }
    int64_t SmoothedMs() const { return m_srtt; }
    // The retransmission time-out; 0 while the line has neither been measured nor been slower
    // than the fixed waits.
    int64_t RtoMs() const;
    // "Round trip 250 ms, variation 40 ms, repeats after 410 ms", or that nothing is measured yet.
    std::string Describe() const;

    // A gap in the line (closed, lost, reopened): nothing sent before it is owed any more. What
    // was learnt about the line stays.
    void ForgetOutstanding();

private:
    struct Request {
        uint64_t id = 0;
        std::vector<uint8_t> payload;
        AnswerKey key;
        bool answered = false;
        int transmissions = 0;
        int64_t firstSent = 0;
        int64_t lastSent = 0;
    };
    struct Transmission {
        uint64_t request = 0;
        AnswerKey key;
        int64_t sentAt = 0;
    };

    int64_t OwedMs() const;
    // A reader that works through a backlog of repeats answers each some time after the one
    // before: while answers keep coming, what is still queued stays owed.
    bool Owed(const Transmission& t, int64_t nowMs) const {
        return nowMs - std::max(t.sentAt, m_lastAnswerAt) < OwedMs();
    }
    Request* Find(uint64_t id);
    const Request* Latest(const uint8_t* payload, int length) const;
    void Sample(int64_t rtt);

    std::deque<Request> m_requests;
    std::deque<Transmission> m_outstanding;
    std::vector<uint8_t> m_answered;
    uint64_t m_nextId = 1;
    bool m_measured = false;
    int64_t m_srtt = 0;
    int64_t m_rttvar = 0;
    int64_t m_backoffMs = 0;
    int64_t m_lastAnswerAt = 0;
};
