// The cost of one reading in the pure decoding and formatting layer.

#include "reading.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string>

namespace {

const varnix::NumberFormat Format{",", "."};

// Every frame of channels 1 and 2 across the whole count range, so that the
// work is not folded into a constant and the digit strings vary.
struct Frames {
    std::array<std::array<std::uint8_t, 2>, 2048> bytes;
    Frames()
    {
        for (unsigned i = 0; i < bytes.size(); ++i) {
            const unsigned count = i % 1024;
            const unsigned channel = i / 1024;
            bytes[i] = {static_cast<std::uint8_t>(count & 0xFF), static_cast<std::uint8_t>((channel << 4) | (count >> 8))};
        }
    }
};

const Frames AllFrames;

void BM_DecodeFrame(benchmark::State &state)
{
    std::size_t i = 0;
    for (auto _ : state) {
        const auto &frame = AllFrames.bytes[i++ % AllFrames.bytes.size()];
        benchmark::DoNotOptimize(varnix::DecodeFrame(frame[0], frame[1]));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeFrame);

void BM_FormatReading(benchmark::State &state, const char *ratio)
{
    std::size_t i = 0;
    for (auto _ : state) {
        const auto &frame = AllFrames.bytes[i++ % AllFrames.bytes.size()];
        const varnix::Reading reading = varnix::DecodeFrame(frame[0], frame[1]);
        benchmark::DoNotOptimize(varnix::FormatReading(reading, 3, ratio, "V", Format));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_FormatReading, ratio_1, "1");
BENCHMARK_CAPTURE(BM_FormatReading, ratio_0_001, "0,001");

void BM_ReadCluster(benchmark::State &state)
{
    const auto fields = [](unsigned) { return varnix::ChannelFields{3, "1", "V"}; };
    std::size_t i = 0;
    for (auto _ : state) {
        const auto &frame = AllFrames.bytes[i++ % AllFrames.bytes.size()];
        const std::string_view cluster(reinterpret_cast<const char *>(frame.data()), frame.size());
        benchmark::DoNotOptimize(varnix::ReadCluster(cluster, fields, Format));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadCluster);

} // namespace

BENCHMARK_MAIN();
