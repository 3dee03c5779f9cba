#pragma once

#include <string>

enum class UIUserInterfaceIdiom : int { Phone = 0, Pad = 1 };

// The device the program believes it runs on: a tablet with system version 8.0.
class UIDevice {
public:
    static UIDevice& currentDevice();
    UIDevice(const UIDevice&) = delete;
    UIDevice& operator=(const UIDevice&) = delete;

    const std::string& systemVersion() const { return m_systemVersion; }
    void setSystemVersion(std::string version) { m_systemVersion = std::move(version); }
    UIUserInterfaceIdiom userInterfaceIdiom() const { return m_idiom; }
    void setUserInterfaceIdiom(UIUserInterfaceIdiom idiom) { m_idiom = idiom; }
    std::string model() const { return m_idiom == UIUserInterfaceIdiom::Pad ? "iPad" : "iPhone"; }

private:
    UIDevice() = default;
    std::string m_systemVersion = "8.0";
    UIUserInterfaceIdiom m_idiom = UIUserInterfaceIdiom::Pad;
};
