#pragma once

#include "session/ConnectionStatusDisplay.h"

// Shows the venue link's state and the server date on the permanent status strip: what the
// dispatcher reports goes into the strip's texts, and the strip is shown again.
class StatusStripConnectionDisplay final : public ConnectionStatusDisplay {
public:
    static StatusStripConnectionDisplay& shared();
    void setOffLineStr(const std::string& text) override;
    void setWifiStr(const std::string& text) override;
    void showCustomStatus() override;
};
