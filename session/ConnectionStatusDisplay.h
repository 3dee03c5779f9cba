#pragma once

#include <string>

// Where the dispatcher shows the state of the venue link and the server's date: the permanent
// status strip of the interface kit implements it, and the program hands it to the dispatcher at
// launch, so the session layer never reaches up into the interface layers.
class ConnectionStatusDisplay {
public:
    virtual ~ConnectionStatusDisplay() = default;
    virtual void setOffLineStr(const std::string& text) = 0;
    virtual void setWifiStr(const std::string& text) = 0;
    virtual void showCustomStatus() = 0;
};
