// The receive loop's cost per byte must not depend on how the bytes arrive: one read holding
// many frames, or one byte per read. Compared with a plain copy of the same bytes.
#include "session/FrameReceiver.h"
#include "session/VenueMessage.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Back-to-back small replies, as a busy room floor produces them.
std::string framesOf(std::size_t total)
{
    std::string bytes;
    for (int i = 0; bytes.size() < total; ++i) {
        const std::string body = "\r\n161\r\n0\r\n\r\n25\r\nroom " + std::to_string(i) + "\r\n3";
        bytes += VenueMessage::buildFrame(body).value();
    }
    return bytes;
}

std::size_t drain(FrameReceiver& receiver)
{
    std::size_t frames = 0;
    receiver.deliverFrames([&](const std::string& text) {
        benchmark::DoNotOptimize(text.data());
        ++frames;
        return true;
    });
    return frames;
}

const std::uint8_t* bytesOf(const std::string& text)
{
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

void ReceiveLoopOneRead(benchmark::State& state)
{
    const std::string input = framesOf(static_cast<std::size_t>(state.range(0)));
    std::size_t frames = 0;
    for (auto _ : state) {
        FrameReceiver receiver;
        receiver.append({bytesOf(input), input.size()});
        frames = drain(receiver);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
    state.counters["frames"] = static_cast<double>(frames);
}

void ReceiveLoopByteReads(benchmark::State& state)
{
    const std::string input = framesOf(static_cast<std::size_t>(state.range(0)));
    std::size_t frames = 0;
    for (auto _ : state) {
        FrameReceiver receiver;
        frames = 0;
        for (std::size_t i = 0; i < input.size(); ++i) {
            receiver.append({bytesOf(input) + i, 1});
            frames += drain(receiver);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
    state.counters["frames"] = static_cast<double>(frames);
}

void PlainCopy(benchmark::State& state)
{
    const std::string input = framesOf(static_cast<std::size_t>(state.range(0)));
    std::vector<char> target(input.size());
    for (auto _ : state) {
        std::memcpy(target.data(), input.data(), input.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

// Growing sizes: a flat bytes-per-second across them shows linear buffer handling.
BENCHMARK(ReceiveLoopOneRead)->Arg(64 << 10)->Arg(256 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(ReceiveLoopByteReads)->Arg(64 << 10)->Arg(256 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainCopy)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
