// Framing and checking venue messages, beside the raw work they are made of (an iconv
// conversion and a table CRC over the same bytes), so the overhead can be read as a ratio.
#include "platform/foundation/TextEncoding.h"
#include "session/ReplyLines.h"
#include "session/VenueMessage.h"

#include <benchmark/benchmark.h>

#include <iconv.h>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kRoomRequest = {"1", "25", "3", "8801", "", ""};

std::string replyBody(std::size_t bytes)
{
    std::string body = "\r\n161\r\n0\r\n\r\n25\r\n";
    int room = 0;
    while (body.size() < bytes)
        body += "A" + std::to_string(room++) + "\r\n豪华包房\r\n已开房\r\n1\r\n";
    body.resize(bytes);
    return body;
}

const std::string& reply64k()
{
    static const std::string body = [] {
        // Cut on a line boundary so the text stays valid UTF-8.
        std::string text = replyBody(64 * 1024);
        return text.substr(0, text.rfind("\r\n"));
    }();
    return body;
}

void BM_FrameRequest(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(VenueMessage::fieldListFrame(161, kRoomRequest));
}
BENCHMARK(BM_FrameRequest);

void BM_FrameReply64k(benchmark::State& state)
{
    const auto& body = reply64k();
    for (auto _ : state)
        benchmark::DoNotOptimize(VenueMessage::buildFrame(body));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_FrameReply64k);

void BM_CheckAndDecodeReply64k(benchmark::State& state)
{
    const auto frame = *VenueMessage::buildFrame(reply64k());
    for (auto _ : state)
        benchmark::DoNotOptimize(VenueMessage::decodeFrame(frame));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}
BENCHMARK(BM_CheckAndDecodeReply64k);

void BM_CheckDecodeAndSplitReply64k(benchmark::State& state)
{
    const auto frame = *VenueMessage::buildFrame(reply64k());
    for (auto _ : state) {
        auto text = VenueMessage::decodeFrame(frame);
        ReplyLines lines(*text);
        benchmark::DoNotOptimize(lines.count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}
BENCHMARK(BM_CheckDecodeAndSplitReply64k);

// The baseline: one iconv conversion into a preallocated buffer and a table CRC.
void BM_RawIconvAndCrc64k(benchmark::State& state)
{
    const auto& body = reply64k();
    iconv_t cd = iconv_open("GB18030", "UTF-8");
    std::string out(body.size() * 2, '\0');
    for (auto _ : state) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(body.data());
        std::size_t inLeft = body.size();
        char* outPtr = out.data();
        std::size_t outLeft = out.size();
        iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        const std::size_t produced = out.size() - outLeft;
        benchmark::DoNotOptimize(VenueMessage::getCRC(std::string_view(out.data(), produced)));
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_RawIconvAndCrc64k);

} // namespace

BENCHMARK_MAIN();
