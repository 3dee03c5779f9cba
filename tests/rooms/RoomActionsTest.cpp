#include "rooms/RoomActions.h"
#include "session/records/RoomStatesObject.h"

#include <gtest/gtest.h>

namespace {

// Display state, check-in mode and the actions offered.
const std::tuple<std::int64_t, const char*, std::vector<std::string>> kActionRows[] = {
    {RoomDisplayFree, "1", {"房台带位", "扫码存酒", "扫码取酒"}},
    {RoomDisplayFree, "2", {"点  单", "会员卡赠", "房台带位", "扫码存酒", "扫码取酒"}},
    {RoomDisplaySeating, "1", {"点  单", "会员卡赠", "取消带位", "扫码存酒", "扫码取酒"}},
    {RoomDisplaySeating, "0", {"取消带位", "扫码存酒", "扫码取酒"}},
    {RoomDisplayBooked, "0", {"房台带位", "申请清台", "扫码存酒", "扫码取酒"}},
    {RoomDisplayBooked, "1", {"点  单", "会员卡赠", "房台带位", "申请清台", "扫码存酒", "扫码取酒"}},
    {RoomDisplayOpen, "0", {"点  单", "会员卡赠", "查看账单", "申请清台", "扫码存酒", "扫码取酒"}},
    {RoomDisplaySettling, "0", {"点  单", "会员卡赠", "查看账单", "申请清台", "扫码存酒", "扫码取酒"}},
    {RoomDisplayCleaning, "2", {"申请清台", "扫码存酒", "扫码取酒"}},
    {RoomDisplayMerged, "2", {"扫码存酒", "扫码取酒"}},
    {RoomDisplayOutOfOrder, "2", {"扫码存酒", "扫码取酒"}},
};

} // namespace

TEST(RoomActions, EachStateAndCheckInModeAllowTheirActions)
{
    for (const auto& [state, checkInMode, expected] : kActionRows) {
        std::vector<std::string> titles;
        for (const auto& action : roomActionsFor(state, checkInMode))
            titles.push_back(action.title);
        EXPECT_EQ(titles, expected) << "state " << state << ", check-in mode " << checkInMode;
    }
}
