#pragma once

// The commands of the venue protocol. A request carries its command's number on its first line
// and the server's reply carries the same number back, so one name serves the request a screen
// sends, the dispatcher's handler of the reply and the simulated server's answer.
enum class VenueCommand : int {
    SongLibrary = 3,
    BillList = 4, // on the secondary link only
    PlayPause = 10,
    Volume = 15,
    Mute = 17,
    Accompaniment = 19,
    SingerTrack = 20,
    Lights = 31,
    Sound = 33,
    ServerDate = 60,
    RoomReport = 75,
    SaveRoomReport = 76,
    TvChannels = 77,
    ShowTvChannel = 78,
    BindHall = 90,
    SeatGuests = 96,
    CancelSeating = 97,
    ClerkLogin = 99,
    BindClient = 100,
    ClerkInfo = 102,
    DishCategories = 103,
    Dishes = 104,
    OrderLines = 105,
    DishRemarks = 106,
    PackageGroups = 107,
    FreeItems = 108,
    Bill = 109,
    RoomAction = 110,
    ConfirmOrder = 114,
    ConfirmGiftOrder = 115,
    RoomDetails = 119,
    MemberInfo = 127,
    RoomMaster = 140,
    Promoters = 141,
    UnsettledFolio = 156,
    PayInHall = 157,
    MemberPassword = 159,
    MemberCardConsumption = 160,
    RoomFloor = 161,
    ClearRoom = 162,
    OrderPaidByCard = 163,
    OrderPaidByCode = 168,
    BillNetPay = 171,
    VenueIdentity = 182,
    StorableDrinks = 183,
    ResumeWine = 201,
    AlipayCode = 202,
    AlipayState = 203,
    WeChatPayCode = 204,
    WeChatPayState = 205,
    StoreRequest = 210,
    DeleteStoreRequest = 211,
    ImproveStore = 212,
    StoreWineGuest = 213,
};

constexpr int commandNumber(VenueCommand command)
{
    return static_cast<int>(command);
}
