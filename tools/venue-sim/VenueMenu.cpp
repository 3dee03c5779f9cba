#include "tools/venue-sim/VenueMenu.h"

#include "tools/venue-sim/DataFileValues.h"

#include <set>
#include <stdexcept>

using nlohmann::json;

namespace {

std::vector<ItemGroup> readGroups(const json& list)
{
    std::vector<ItemGroup> groups;
    for (const auto& item : list) {
        ItemGroup group;
        group.id = dataText(item, "id");
        group.name = dataText(item, "name");
        group.note = dataText(item, "note");
        group.sumCount = dataCount(item, "choose", 1);
        group.countMode = dataText(item, "countMode", "0");
        group.notShare = dataFlag(item, "oneOf") ? "1" : "0";
        for (const auto& choice : dataList(item, "items"))
            group.items.push_back({dataText(choice, "dish"), dataText(choice, "count", "1")});
        if (group.id.empty() || group.items.empty())
            throw std::runtime_error("an item group needs an id and items");
        groups.push_back(std::move(group));
    }
    return groups;
}

std::map<std::string, std::vector<ItemGroup>> readGroupMap(const json& menu, const char* key)
{
    std::map<std::string, std::vector<ItemGroup>> map;
    const auto it = menu.find(key);
    if (it == menu.end())
        return map;
    for (const auto& [name, groups] : it->items())
        map[name] = readGroups(groups);
    return map;
}

template<typename T>
const T* findByNo(const std::vector<T>& items, const std::string& no)
{
    for (const auto& item : items) {
        if (item.no == no)
            return &item;
    }
    return nullptr;
}

} // namespace

VenueMenu VenueMenu::fromJson(const json& menu)
{
    VenueMenu result;
    for (const auto& item : dataList(menu, "categories")) {
        MenuCategory category {dataText(item, "no"), dataText(item, "name"), "1", dataText(item, "parent")};
        category.level = category.parentNo.empty() ? "1" : "2";
        result.m_categories.push_back(std::move(category));
    }
    for (const auto& item : dataList(menu, "dishes")) {
        MenuDish dish;
        dish.no = dataText(item, "no");
        dish.name = dataText(item, "name");
        dish.english = dataText(item, "english");
        dish.categoryNo = dataText(item, "category");
        dish.unit = dataText(item, "unit", "份");
        dish.remarkGroup = dataText(item, "remarks");
        dish.printType = dataText(item, "printer", "1");
        dish.imageTime = dataText(item, "imageTime", "2024-03-01 10:00:00");
        dish.picture = dataText(item, "picture");
        dish.price = dataAmount(item, "price");
        dish.vipPrice = dataAmount(item, "vipPrice", dish.price);
        dish.package = dataFlag(item, "package");
        dish.flower = dataFlag(item, "flower");
        dish.recommended = dataFlag(item, "recommended");
        dish.canDiscount = dataFlag(item, "discount", true);
        if (const auto it = item.find("storage"); it != item.end())
            dish.storage = StorageTerms {dataText(*it, "inputCode"), dataText(*it, "days", "90"), dataText(*it, "openDays", "30")};
        if (const auto it = item.find("gift"); it != item.end())
            dish.gift = AutomaticGift {dataText(*it, "dish"), dataCount(*it, "per", 1), dataCount(*it, "count", 1)};
        if (const auto it = item.find("freeItems"); it != item.end()) {
            dish.freeSetId = dataText(*it, "set");
            dish.freePer = dataCount(*it, "per", 1);
        }
        result.m_dishes.push_back(std::move(dish));
    }
    if (const auto it = menu.find("remarks"); it != menu.end()) {
        for (const auto& [group, texts] : it->items())
            result.m_remarks[group] = texts.get<std::vector<std::string>>();
    }
    result.m_packages = readGroupMap(menu, "packages");
    result.m_freeSets = readGroupMap(menu, "freeSets");
    result.check();
    return result;
}

// Every reference between the parts of the menu leads somewhere.
void VenueMenu::check() const
{
    std::set<std::string> numbers;
    for (const auto& category : m_categories) {
        if (category.no.empty() || category.name.empty() || !numbers.insert(category.no).second)
            throw std::runtime_error("menu category \"" + category.no + "\" is unnamed or listed twice");
        if (!category.parentNo.empty() && !this->category(category.parentNo))
            throw std::runtime_error("menu category " + category.no + " names an unknown parent");
    }
    numbers.clear();
    for (const auto& dish : m_dishes) {
        if (dish.no.empty() || dish.name.empty() || !numbers.insert(dish.no).second)
            throw std::runtime_error("dish \"" + dish.no + "\" is unnamed or listed twice");
        if (!category(dish.categoryNo))
            throw std::runtime_error("dish " + dish.no + " names an unknown category");
        if (!dish.remarkGroup.empty() && !remarks(dish.remarkGroup))
            throw std::runtime_error("dish " + dish.no + " names unknown remarks");
        if (dish.package && !packageGroups(dish.no))
            throw std::runtime_error("package dish " + dish.no + " has no item groups");
        if (dish.gift && (!this->dish(dish.gift->dishNo) || dish.gift->per <= 0))
            throw std::runtime_error("dish " + dish.no + " has a gift of an unknown dish");
        if (!dish.freeSetId.empty() && !freeSet(dish.freeSetId))
            throw std::runtime_error("dish " + dish.no + " names an unknown set of free items");
    }
    for (const auto* groups : {&m_packages, &m_freeSets}) {
        for (const auto& [owner, list] : *groups) {
            for (const auto& group : list) {
                for (const auto& item : group.items) {
                    if (!dish(item.dishNo))
                        throw std::runtime_error("item group " + owner + "/" + group.id + " names an unknown dish " + item.dishNo);
                }
            }
        }
    }
}

const MenuDish* VenueMenu::dish(const std::string& no) const
{
    return findByNo(m_dishes, no);
}

const MenuCategory* VenueMenu::category(const std::string& no) const
{
    return findByNo(m_categories, no);
}

std::vector<const MenuDish*> VenueMenu::dishesIn(const std::string& categoryNo) const
{
    std::vector<const MenuDish*> found;
    for (const auto& dish : m_dishes) {
        const MenuCategory* category = this->category(dish.categoryNo);
        if (dish.categoryNo == categoryNo || (category && category->parentNo == categoryNo))
            found.push_back(&dish);
    }
    return found;
}

std::vector<const MenuDish*> VenueMenu::recommendedDishes() const
{
    std::vector<const MenuDish*> found;
    for (const auto& dish : m_dishes) {
        if (dish.recommended)
            found.push_back(&dish);
    }
    return found;
}

const std::vector<std::string>* VenueMenu::remarks(const std::string& group) const
{
    const auto it = m_remarks.find(group);
    return it == m_remarks.end() ? nullptr : &it->second;
}

const std::vector<ItemGroup>* VenueMenu::packageGroups(const std::string& dishNo) const
{
    const auto it = m_packages.find(dishNo);
    return it == m_packages.end() ? nullptr : &it->second;
}

const std::vector<ItemGroup>* VenueMenu::freeSet(const std::string& setId) const
{
    const auto it = m_freeSets.find(setId);
    return it == m_freeSets.end() ? nullptr : &it->second;
}
