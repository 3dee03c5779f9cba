// Dispatching a room list reply of one page and of a large venue, beside splitting the same
// text alone, so the cost of building records and counters can be read off.
#include "session/DataCenter.h"
#include "session/ReplyLines.h"
#include "session/SocketDataHandle.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string roomListReply(int rooms)
{
    std::string text = "000000\r\n161\r\n0\r\n\r\n0\r\n1\r\n1\r\n" + std::to_string(rooms)
        + "\r\n10\r\n1\r\n2\r\n40\r\n3\r\n2\r\n1\r\n1\r\n\r\n\r\n\r\n\r\n";
    for (int r = 0; r < rooms; ++r) {
        text += "A" + std::to_string(r) + "\r\n豪华包房\r\nI\r\n0\r\n0\r\n张经理\r\n王先生\r\n6\r\n0";
        for (int i = 9; i < 34; ++i)
            text += "\r\n" + std::to_string(i * 10);
        text += "\r\n";
    }
    return text;
}

void BM_DispatchRoomList(benchmark::State& state)
{
    const auto text = roomListReply(static_cast<int>(state.range(0)));
    auto& handle = SocketDataHandle::sharedInstance();
    for (auto _ : state) {
        DataCenter::sharedInstance().forwardNoticeCode("tcpMsg", text);
        benchmark::DoNotOptimize(handle.tempRoomArray.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_DispatchRoomList)->Arg(25)->Arg(1000);

void BM_SplitRoomList(benchmark::State& state)
{
    const auto text = roomListReply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ReplyLines lines(text);
        benchmark::DoNotOptimize(lines.count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SplitRoomList)->Arg(25)->Arg(1000);

} // namespace

BENCHMARK_MAIN();
