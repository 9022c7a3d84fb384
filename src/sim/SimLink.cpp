#include "sim/SimLink.h"

#include <algorithm>

int SimLink::Open() {
    if (!m_plugged) {
        return 0;
    }
    m_open = true;
    m_dtr = true;
    // Whatever the reader sent before the port was opened was never read.
    m_reader.TakeOutput();
    return 1;
}

int SimLink::Close() {
    m_open = false;
    m_dtr = false;
    return 1;
}

int SimLink::Write(const uint8_t* bytes, int count) {
    if (!m_open || bytes == nullptr || count < 0) {
        return 0;
    }
    m_reader.Receive(bytes, static_cast<size_t>(count));
    return 1;
}

int SimLink::SetDtr() {
    if (!m_open) {
        return 0;
    }
    m_dtr = true;
    return 1;
}

int SimLink::ClearDtr() {
    if (!m_open) {
        return 0;
    }
    m_dtr = false;
    return 1;
}

void SimLink::Advance(int milliseconds) {
    m_reader.Advance(milliseconds);
    const auto batches = m_reader.TakeBatches();
    if (!m_open || !m_receiver) {
        return;
    }
    for (const auto& batch : batches) {
        for (size_t at = 0; at < batch.size() && m_open; at += kBatch) {
            const size_t n = std::min(batch.size() - at, static_cast<size_t>(kBatch));
            // The receiver may write an answer or close the link; both are fine here.
            m_receiver(batch.data() + at, static_cast<int>(n));
        }
    }
}

void SimLink::Unplug() {
    m_plugged = false;
    if (!m_open) {
        return;
    }
    Close();
    if (m_lostHandler) {
        m_lostHandler();
    }
}
