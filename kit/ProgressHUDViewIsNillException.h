#pragma once

#include <stdexcept>

// Raised when a busy indicator is asked to cover a view that is not there: a caller error.
class ProgressHUDViewIsNillException : public std::invalid_argument {
public:
    ProgressHUDViewIsNillException()
        : std::invalid_argument("The view used in the ProgressHUD initializer is nil.")
    {
    }
    static constexpr const char* name() { return "ProgressHUDViewIsNillException"; }
};
