// Menu categories and dishes.
#include "session/SocketDataHandle.h"
#include "session/records/FoodTypeObject.h"
#include "session/records/OKFoodObject.h"

void SocketDataHandle::replyDishCategories(const ReplyLines& lines)
{
    RecordList<FoodTypeObject> categories;
    const std::size_t count = lines.recordCount(7, 7);
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t s = 7 + 7 * k;
        auto category = std::make_shared<FoodTypeObject>();
        category->TypeNo = lines[s];
        category->TypeName = lines[s + 1];
        category->Level = lines[s + 2];
        category->ParentNo = lines[s + 3];
        categories.push_back(std::move(category));
    }
    if (!categories.empty())
        tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidCategory(categories); });
}

void SocketDataHandle::replyDishes(const ReplyLines& lines)
{
    RecordList<OKFoodObject> dishes;
    const std::size_t count = lines.recordCount(7, 16);
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t s = 7 + 16 * k;
        auto dish = std::make_shared<OKFoodObject>();
        dish->No = lines[s];
        dish->NameChs = lines[s + 1];
        dish->NameEng = lines[s + 2];
        dish->Price = lines[s + 3];
        dish->Monad = lines[s + 4];
        dish->Stand = lines[s + 5];
        dish->LimitFree = lines[s + 6];
        dish->IfPack = lines[s + 7];
        dish->IfFlowerItem = lines[s + 8];
        dish->AddInfoNo2 = lines[s + 9]; // the wire has the second remark number first
        dish->AddInfoNo1 = lines[s + 10];
        dish->FoodImageModifyTime = lines[s + 11];
        dish->Str2 = lines[s + 12];
        dish->Str3 = lines[s + 13];
        dish->Str4 = lines[s + 14];
        dish->Str5 = lines[s + 15];
        dishes.push_back(std::move(dish));
    }
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidFoodList(dishes); });
}
