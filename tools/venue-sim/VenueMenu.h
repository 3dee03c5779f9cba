#pragma once

#include <nlohmann/json.hpp>

#include <map>
#include <optional>
#include <string>
#include <vector>

// A category of the menu: top-level ("1") or a sub-category ("2") under its parent.
struct MenuCategory {
    std::string no;
    std::string name;
    std::string level;
    std::string parentNo;
};

// The terms on which the bar keeps a guest's bottles of a drink.
struct StorageTerms {
    std::string inputCode;
    std::string limitDays;       // days a sealed bottle is kept
    std::string limitDaysOfOpen; // days an opened bottle is kept
};

// A gift the order of a dish brings with it: `count` of the gift dish for every `per` ordered.
struct AutomaticGift {
    std::string dishNo;
    int per = 1;
    int count = 1;
};

struct MenuDish {
    std::string no;
    std::string name;
    std::string english;
    std::string categoryNo;
    std::string unit;
    std::string remarkGroup; // the remark texts offered when it is ordered
    std::string printType;   // the bar or kitchen printer the order goes to
    std::string imageTime;   // when its picture last changed
    std::string picture;     // its picture file, relative to the data file's folder
    double price = 0;
    double vipPrice = 0;
    bool package = false;
    bool flower = false;      // credited to a promoter
    bool recommended = false;
    bool canDiscount = true;
    std::optional<StorageTerms> storage;
    std::optional<AutomaticGift> gift;
    // Free items to choose: `freePer` choices from the set per ordered unit.
    std::string freeSetId;
    int freePer = 0;
};

// A group of items to choose from: the items of a package, or the free items an order earned.
struct ItemGroup {
    struct Item {
        std::string dishNo;
        std::string count = "1"; // fixed quantity per package when the group counts per item
    };
    std::string id;
    std::string name;
    std::string note;
    int sumCount = 1;
    std::string countMode = "0";
    std::string notShare = "0";
    std::vector<Item> items;
};

// The menu of the venue: categories, dishes, the remark texts dishes offer, the item groups of
// the package dishes and the sets of free items. It does not change while the server runs.
class VenueMenu {
public:
    // From the "menu" object of the data file; throws std::runtime_error on a bad entry.
    static VenueMenu fromJson(const nlohmann::json& menu);

    const std::vector<MenuCategory>& categories() const { return m_categories; }
    const std::vector<MenuDish>& dishes() const { return m_dishes; }
    const MenuDish* dish(const std::string& no) const;
    const MenuCategory* category(const std::string& no) const;
    // The dishes of a category; a top-level category also lists its sub-categories' dishes.
    std::vector<const MenuDish*> dishesIn(const std::string& categoryNo) const;
    std::vector<const MenuDish*> recommendedDishes() const;
    const std::vector<std::string>* remarks(const std::string& group) const;
    const std::vector<ItemGroup>* packageGroups(const std::string& dishNo) const;
    const std::vector<ItemGroup>* freeSet(const std::string& setId) const;

private:
    void check() const;

    std::vector<MenuCategory> m_categories;
    std::vector<MenuDish> m_dishes;
    std::map<std::string, std::vector<std::string>> m_remarks;
    std::map<std::string, std::vector<ItemGroup>> m_packages;
    std::map<std::string, std::vector<ItemGroup>> m_freeSets;
};
