// The groups of a package, or of the free items an order earned, with the dishes of each.
#include "platform/foundation/NumberValue.h"
#include "session/SocketDataHandle.h"
#include "session/records/OKPackChild.h"
#include "session/records/OKPackChildFood.h"

namespace {

// The group count of line 4, and where the dish records begin after the groups; nothing when
// the groups the reply announces are not all there.
std::optional<std::size_t> dishStart(const ReplyLines& lines, std::int64_t groups, std::size_t groupLines)
{
    if (groups < 0)
        return std::nullopt;
    if (lines.recordCount(6, groupLines, groups) != static_cast<std::uint64_t>(groups))
        return std::nullopt;
    return 6 + groupLines * static_cast<std::size_t>(groups);
}

} // namespace

void SocketDataHandle::replyPackageGroups(const ReplyLines& lines)
{
    if (lines.errorCode() == "1") {
        showAlert("提示信息", lines.errorMessage(), "确定");
        return;
    }
    if (lines.count() <= 5)
        return;
    const std::int64_t groupCount = integerValue(lines[4]);
    if (groupCount == 0) {
        tellDelegate([](SocketDataHandleDelegate& d) { d.socketDataHandleDidPackChild(nullptr, 0, nullptr); });
        return;
    }
    const auto dishes = dishStart(lines, groupCount, 7);
    if (!dishes)
        return;
    RecordList<OKPackChild> groups;
    for (std::int64_t k = 0; k < groupCount; ++k) {
        const std::size_t s = 6 + 7 * static_cast<std::size_t>(k);
        auto group = std::make_shared<OKPackChild>();
        group->SetID = lines[s];
        group->SetItemName = lines[s + 1];
        group->SetSumCount = lines[s + 2];
        group->CountMode = lines[s + 3];
        group->NotShare = lines[s + 4];
        groups.push_back(std::move(group));
    }
    PackChildFoodMap groupDishes;
    const std::size_t count = lines.recordCount(*dishes, 10);
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t s = *dishes + 10 * k;
        auto dish = std::make_shared<OKPackChildFood>();
        dish->SetID = lines[s];
        dish->FoodNo = lines[s + 1];
        dish->FoodName_Cha = lines[s + 2];
        dish->FoodName_Eng = lines[s + 3];
        dish->Monad = lines[s + 4];
        dish->PrintType = lines[s + 5];
        dish->OverTimes = lines[s + 6];
        dish->Count = lines[s + 7];
        dish->Str1 = lines[s + 8];
        dish->Str2 = lines[s + 9];
        groupDishes[dish->SetID].push_back(dish);
    }
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidPackChild(&groupDishes, groupCount, &groups); });
}

void SocketDataHandle::replyFreeItems(const ReplyLines& lines)
{
    if (lines.count() <= 1)
        return;
    const std::int64_t groupCount = integerValue(lines[4]);
    if (groupCount == 0) {
        tellDelegate([](SocketDataHandleDelegate& d) { d.socketDataHandleDidPackChild(nullptr, 0, nullptr); });
        return;
    }
    const auto dishes = dishStart(lines, groupCount, 8);
    if (!dishes)
        return;
    const std::int64_t multiplier = intValue(tmpSelectOld->MultFreeCount);
    RecordList<OKPackChild> groups;
    for (std::int64_t k = 0; k < groupCount; ++k) {
        const std::size_t s = 6 + 8 * static_cast<std::size_t>(k);
        auto group = std::make_shared<OKPackChild>();
        group->SetID = lines[s];
        group->SetItemName = lines[s + 1];
        group->SetNote = lines[s + 2];
        group->SetSumCount = lines[s + 3];
        group->CountMode = lines[s + 4];
        group->NotShare = lines[s + 5];
        group->Str1 = lines[s + 6];
        group->Str2 = lines[s + 7];
        // Two 32-bit values multiplied in 64 bits cannot overflow.
        group->CanSelectCount = static_cast<std::int64_t>(intValue(group->SetSumCount)) * multiplier;
        groups.push_back(std::move(group));
    }
    // A dish record is taken only when at least one line follows it: the server ends this
    // reply with a line that belongs to no record.
    PackChildFoodMap groupDishes;
    const std::size_t available = lines.count() > *dishes + 1 ? (lines.count() - 1 - *dishes) / 11 : 0;
    for (std::size_t k = 0; k < available; ++k) {
        const std::size_t s = *dishes + 11 * k;
        auto dish = std::make_shared<OKPackChildFood>();
        dish->SetID = lines[s];
        dish->FoodNo = lines[s + 1];
        dish->FoodName_Cha = lines[s + 2];
        dish->FoodName_Eng = lines[s + 3];
        dish->Price = lines[s + 4];
        dish->Monad = lines[s + 5];
        dish->PrintType = lines[s + 6];
        dish->OverTimes = lines[s + 7];
        dish->Count = lines[s + 8];
        dish->Str1 = lines[s + 9];
        dish->Str2 = lines[s + 10];
        groupDishes[dish->SetID].push_back(dish);
    }
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidPackChild(&groupDishes, groupCount, &groups); });
}
