#pragma once

#include "platform/ui/NSRange.h"

#include <string>

class UITextField;

// What a text field asks and tells while it is edited; every method is optional, and the
// questions answer yes unless overridden.
class UITextFieldDelegate {
public:
    virtual ~UITextFieldDelegate() = default;
    virtual bool textFieldShouldBeginEditing(UITextField&) { return true; }
    virtual void textFieldDidBeginEditing(UITextField&) {}
    virtual bool textFieldShouldEndEditing(UITextField&) { return true; }
    virtual void textFieldDidEndEditing(UITextField&) {}
    // range: the characters (code points) to be replaced by replacement.
    virtual bool textFieldShouldChangeCharactersInRange(UITextField&, NSRange /*range*/,
                                                        const std::string& /*replacement*/)
    {
        return true;
    }
    virtual bool textFieldShouldClear(UITextField&) { return true; }
    virtual bool textFieldShouldReturn(UITextField&) { return true; }
};
