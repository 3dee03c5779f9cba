#pragma once

#include <cstdint>
#include <string>

class KeypadAlertView;

// The answer of a keypad dialog. The screens implement customAlertViewClick only.
class KeypadAlertViewDelegate {
public:
    virtual ~KeypadAlertViewDelegate() = default;
    // tag: the dialog's tag; isOk: 确定 (true) or 取消; input: the digits on 确定, empty on 取消;
    // curCmd: the dialog's cmd.
    virtual void customAlertViewClick(std::int64_t tag, bool isOk, const std::string& input, std::int32_t curCmd) = 0;
    // A button of the optional button row. Returns true when handled; otherwise the dialog logs
    // the press and closes itself.
    virtual bool keypadDialogButtonTouchUpInside(KeypadAlertView&, std::int64_t /*buttonIndex*/) { return false; }
};
