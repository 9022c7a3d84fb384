// The simulated reader's request handling: whatever arrives on its line, with time passing.
#include "fuzz/FuzzInput.h"
#include "sim/SimulatedReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    SimulatedReader reader(1, in.Byte());
    reader.SetTagInterval(in.Byte() * 10);
    while (!in.Empty()) {
        const auto chunk = in.Take(in.Byte() % 64 + 1);
        reader.Receive(chunk.data(), chunk.size());
        reader.Advance(in.Byte() * 4);
        reader.TakeBatches();
    }
    return 0;
}
