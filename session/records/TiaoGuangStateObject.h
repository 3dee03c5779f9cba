#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The lights, fan and air conditioning of the room, as the room's equipment reports them.
class TiaoGuangStateObject {
public:
    static TiaoGuangStateObject& sharedInstance();
    static void resetForTesting();

    std::string KaiGuanState;
    std::string PaiFengState;
    std::string KongTiaoState1;
    std::string KongTiaoState2;
    std::string KongTiaoState3;
    const std::optional<std::string>& CurrentMode() const { return m_CurrentMode; }
    // Stores the label of a lighting mode code 1 to 6; other codes leave it as it was.
    void setCurrentMode(const std::string& code);
    std::array<std::string, 12> lineValues; // lighting channels 1 to 12
    std::map<std::string, std::string> DengGuangMingCheng;
    std::vector<std::string> names;
    std::int64_t currentModeValue = 0;

private:
    std::optional<std::string> m_CurrentMode;
};
