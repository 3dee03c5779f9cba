// Dispatching a room list reply of one page and of a large venue, against a baseline that does
// the work any dispatcher of it must do and nothing else: split the text into views (counted
// first, so the list of them is allocated once), keep the counters, and build one record of owned
// strings per room (the same record type, fields and display state) into a list rebuilt whole.
// Both start from the text in hand, as the link hands on the text it has just decoded without
// copying it. Splitting alone is measured too.
#include "bench/RatioToBaseline.h"
#include "session/DataCenter.h"
#include "session/ReplyLines.h"
#include "session/SocketDataHandle.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string roomListReply(int rooms)
{
    std::string text = "000000\r\n161\r\n0\r\n\r\n0\r\n1\r\n1\r\n" + std::to_string(rooms)
        + "\r\n10\r\n1\r\n2\r\n40\r\n3\r\n2\r\n1\r\n1\r\n\r\n\r\n\r\n\r\n";
    for (int r = 0; r < rooms; ++r) {
        text += 'A';
        text += std::to_string(r) + "\r\n豪华包房\r\nI\r\n0\r\n0\r\n张经理\r\n王先生\r\n6\r\n0";
        for (int i = 9; i < 34; ++i)
            text += "\r\n" + std::to_string(i * 10);
        text += "\r\n";
    }
    return text;
}

std::vector<std::string_view> splitIntoViews(std::string_view text)
{
    std::vector<std::string_view> lines;
    lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return lines;
        start = end + 2;
    }
}

// The baseline's work on one reply.
void viewsAndRecords(std::string_view text, std::vector<std::string>& counters,
                     std::vector<std::shared_ptr<RoomStatesObject>>& list)
{
    const auto lines = splitIntoViews(text);
    for (std::size_t i = 0; i < counters.size(); ++i)
        counters[i] = lines[5 + i];
    list.clear();
    for (std::size_t s = 21; s + 33 < lines.size(); s += 34) {
        auto room = std::make_shared<RoomStatesObject>();
        std::string* fields[] = {&room->RoomNo, nullptr, &room->RoomState, &room->RoomFlag, &room->IfBad,
                                 &room->ReserveClerk, &room->GuestName, &room->GuestCount, &room->VipFlag,
                                 &room->ReserveDateTime, &room->ArriveDateTime, &room->CheckInDateTime,
                                 &room->LowLimitMoney, &room->FoodMoney, &room->OverLowLimitMoney,
                                 &room->StrYingShou, &room->MasterID, &room->CheckOutDateTime, &room->FreeMoney,
                                 &room->RoomMoney, &room->DinnerMoney, &room->MT_PreSettleFlag};
        for (std::size_t f = 0; f < std::size(fields); ++f) {
            if (fields[f])
                *fields[f] = lines[s + f];
        }
        room->MyRoomState = roomDisplayStateFor(room->RoomState, room->RoomFlag, room->IfBad);
        list.push_back(std::move(room));
    }
}

void BM_DispatchRoomList(benchmark::State& state)
{
    const auto text = roomListReply(static_cast<int>(state.range(0)));
    auto& handle = SocketDataHandle::sharedInstance();
    std::vector<std::string> counters(11);
    std::vector<std::shared_ptr<RoomStatesObject>> list;
    measureAgainstBaseline(
        state,
        [&] {
            DataCenter::sharedInstance().forwardNoticeCode("tcpMsg", text);
            benchmark::DoNotOptimize(handle.tempRoomArray.size());
        },
        [&] {
            viewsAndRecords(text, counters, list);
            benchmark::DoNotOptimize(list.size());
        });
}
BENCHMARK(BM_DispatchRoomList)->Arg(25)->Arg(1000);

void BM_SplitRoomList(benchmark::State& state)
{
    const auto text = roomListReply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const auto lines = ReplyLines::viewing(text);
        benchmark::DoNotOptimize(lines.count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SplitRoomList)->Arg(25)->Arg(1000);

} // namespace

BENCHMARK_MAIN();
