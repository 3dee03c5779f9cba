#include "tools/venue-sim/WineCellar.h"

#include "tools/venue-sim/DataFileValues.h"

#include <algorithm>
#include <stdexcept>

using nlohmann::json;

WineCellar WineCellar::fromJson(const json& cellar)
{
    WineCellar result;
    for (const auto& item : optionalDataList(cellar, "guests")) {
        result.m_guests.push_back(
            {dataText(item, "openId"), dataText(item, "nickname"), dataText(item, "name"), dataText(item, "phone")});
        if (result.m_guests.back().openId.empty())
            throw std::runtime_error("a wine guest needs an openId");
    }
    for (const auto& item : optionalDataList(cellar, "requests")) {
        WineRequest request {dataText(item, "id"), dataText(item, "room"), dataText(item, "image"), dataText(item, "openId")};
        if (request.id.empty() || !result.guest(request.openId))
            throw std::runtime_error("a store-wine request needs an id and a known guest");
        result.m_requests.push_back(std::move(request));
    }
    for (const auto& item : optionalDataList(cellar, "stored")) {
        StoredWine wine {dataText(item, "code"), dataText(item, "openId"), dataText(item, "room"), dataText(item, "clerk"), {}, false};
        for (const auto& bottle : dataList(item, "bottles")) {
            const bool opened = dataFlag(bottle, "opened");
            wine.bottles.push_back({dataText(bottle, "dish"), dataText(bottle, "name"), opened,
                                    opened ? "0" : dataText(bottle, "count", "1"), opened ? dataText(bottle, "rest", "0.50") : "0.00"});
        }
        if (wine.code.empty() || !result.guest(wine.openId))
            throw std::runtime_error("stored wine needs a code and a known guest");
        result.m_stored.push_back(std::move(wine));
    }
    return result;
}

const WineGuest* WineCellar::guest(const std::string& openId) const
{
    const auto it = std::find_if(m_guests.begin(), m_guests.end(), [&](const auto& g) { return g.openId == openId; });
    return openId.empty() || it == m_guests.end() ? nullptr : &*it;
}

const WineRequest* WineCellar::requestForRoom(const std::string& roomNo) const
{
    const auto it = std::find_if(m_requests.begin(), m_requests.end(), [&](const auto& r) { return r.roomNo == roomNo; });
    return it == m_requests.end() ? nullptr : &*it;
}

bool WineCellar::removeRequest(const std::string& id)
{
    const auto it = std::find_if(m_requests.begin(), m_requests.end(), [&](const auto& r) { return r.id == id; });
    if (id.empty() || it == m_requests.end())
        return false;
    m_requests.erase(it);
    return true;
}

StoredWine* WineCellar::stored(const std::string& code)
{
    const auto it = std::find_if(m_stored.begin(), m_stored.end(), [&](const auto& w) { return w.code == code; });
    return code.empty() || it == m_stored.end() ? nullptr : &*it;
}

std::string WineCellar::store(StoredWine wine)
{
    std::string serial = std::to_string(++m_serial);
    serial.insert(0, serial.size() < 4 ? 4 - serial.size() : 0, '0');
    wine.code = "QJ" + serial;
    while (stored(wine.code))
        wine.code += "0";
    m_stored.push_back(std::move(wine));
    return m_stored.back().code;
}
