#pragma once

#include <memory>
#include <vector>

class UIGestureRecognizer;
class UIView;

// The recognisers a view owns. When the list goes (with its view), the recognisers that live on
// elsewhere forget the view.
class GestureRecognizerList {
public:
    GestureRecognizerList() = default;
    ~GestureRecognizerList();
    GestureRecognizerList(const GestureRecognizerList&) = delete;
    GestureRecognizerList& operator=(const GestureRecognizerList&) = delete;

    // Adding a recogniser of another view moves it here; adding one twice keeps one.
    void add(UIView& owner, const std::shared_ptr<UIGestureRecognizer>& recognizer);
    void remove(const UIGestureRecognizer* recognizer);
    const std::vector<std::shared_ptr<UIGestureRecognizer>>& items() const { return m_items; }

private:
    std::vector<std::shared_ptr<UIGestureRecognizer>> m_items;
};
