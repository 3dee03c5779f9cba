#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

// A guest who stores bottles, known by the id of his chat account.
struct WineGuest {
    std::string openId;
    std::string nickname;
    std::string name;
    std::string phone;
};

// A request a guest made on his phone to store bottles, waiting for a clerk in a room.
struct WineRequest {
    std::string id;
    std::string roomNo;
    std::string imageName;
    std::string openId;
};

// Bottles at the bar: whole bottles or what is left of an opened one.
struct StoredBottle {
    std::string dishNo;
    std::string name;
    bool opened = false;
    std::string whole = "0";
    std::string rest = "0.00";
};

// What a guest keeps at the bar under one code; handed back once.
struct StoredWine {
    std::string code;
    std::string openId;
    std::string roomNo;
    std::string clerkNo;
    std::vector<StoredBottle> bottles;
    bool handedBack = false;
};

class WineCellar {
public:
    static WineCellar fromJson(const nlohmann::json& cellar);

    const WineGuest* guest(const std::string& openId) const;
    const WineRequest* requestForRoom(const std::string& roomNo) const;
    bool removeRequest(const std::string& id);
    StoredWine* stored(const std::string& code);
    const std::vector<StoredWine>& storedWine() const { return m_stored; }
    // Keeps the bottles under a fresh code, which it returns.
    std::string store(StoredWine wine);

private:
    std::vector<WineGuest> m_guests;
    std::vector<WineRequest> m_requests;
    std::vector<StoredWine> m_stored;
    unsigned m_serial = 0;
};
