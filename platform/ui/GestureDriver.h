#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/ui/UIGestureRecognizer.h"

#include <memory>
#include <vector>

class UIView;

// Plays gestures into recognisers, for tests: it hands a recogniser its touches (in the
// coordinates of the recogniser's view) and moves it through its states as fingers would.
//
// A gesture begins (or a discrete one is recognised) only when the platform would let it:
// the recogniser is enabled and on a view, takes that many fingers, none of the recognisers it
// must wait for would begin on the same touches or is active, its delegate agrees, and every
// other active recogniser of the same view tree may run at the same time as it. Otherwise it
// fails, and the call answers false.
class GestureDriver {
public:
    static bool begin(UIGestureRecognizer& recognizer, const std::vector<CGPoint>& touches);
    // Moves the touches (or keeps them, after a test set a scale or rotation) of a running gesture.
    static bool change(UIGestureRecognizer& recognizer, const std::vector<CGPoint>& touches);
    static bool change(UIGestureRecognizer& recognizer);
    static bool end(UIGestureRecognizer& recognizer);
    static bool end(UIGestureRecognizer& recognizer, const std::vector<CGPoint>& touches);
    static bool cancel(UIGestureRecognizer& recognizer);
    // A discrete gesture (a tap) in one step.
    static bool recognize(UIGestureRecognizer& recognizer, const std::vector<CGPoint>& touches);

    // Whether the recogniser would begin on these touches now. A recogniser that waits for others
    // asks them the same question, each at most once.
    static bool wouldBegin(UIGestureRecognizer& recognizer, const std::vector<CGPoint>& touches);

    // The first recogniser of a kind on a view.
    template <typename Recognizer>
    static std::shared_ptr<Recognizer> find(const UIView& view);

private:
    static bool wouldBeginWithRootTouches(UIGestureRecognizer& recognizer,
                                          std::vector<const UIGestureRecognizer*>& asked);
    static bool isActive(const UIGestureRecognizer& recognizer);
    // One step of a running gesture, with the touches moved first when given.
    static bool advance(UIGestureRecognizer& recognizer, UIGestureRecognizerState to,
                        const std::vector<CGPoint>* touches);
    static bool mayRunBeside(UIGestureRecognizer& recognizer, UIGestureRecognizer& other);
    static void activeRecognizersInTree(const UIView& view, const UIGestureRecognizer& except,
                                        std::vector<std::shared_ptr<UIGestureRecognizer>>& out);
};

#include "platform/ui/UIView.h"

template <typename Recognizer>
std::shared_ptr<Recognizer> GestureDriver::find(const UIView& view)
{
    for (const auto& recognizer : view.gestureRecognizers()) {
        if (auto found = std::dynamic_pointer_cast<Recognizer>(recognizer))
            return found;
    }
    return nullptr;
}
