#pragma once

class UIGestureRecognizer;

// What a recogniser asks before it begins. Every answer defaults to the platform's own.
class UIGestureRecognizerDelegate {
public:
    virtual ~UIGestureRecognizerDelegate() = default;

    virtual bool gestureRecognizerShouldBegin(UIGestureRecognizer&) { return true; }
    // Whether both may be recognised at once; by default a recogniser waits for the other to end.
    virtual bool gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(UIGestureRecognizer&,
                                                                                     UIGestureRecognizer&)
    {
        return false;
    }
};
