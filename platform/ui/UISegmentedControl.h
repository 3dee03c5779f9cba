#pragma once

#include "platform/graphics/UIColor.h"
#include "platform/ui/UIControl.h"
#include "platform/ui/UILabel.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class InterfaceRegistry;

// A row of equally wide segments with titles; a tap selects one and sends the value-changed
// actions. Title colours (and their shadow colours) can be set per control state.
class UISegmentedControl : public UIControl {
public:
    // Makes the class known to interface files, with the properties they may set.
    static void registerInterfaceClass(InterfaceRegistry& r);
    static constexpr int UISegmentedControlNoSegment = -1;

    struct TitleTextAttributes {
        UIColorPtr textColor;
        UIColorPtr textShadowColor;
    };

    static std::shared_ptr<UISegmentedControl> create(const CGRect& frame, std::vector<std::string> titles = {});
    explicit UISegmentedControl(const CGRect& frame = CGRectZero);

    int numberOfSegments() const { return static_cast<int>(m_titles.size()); }
    void insertSegmentWithTitle(std::string title, int index);
    void removeAllSegments();
    // Nothing for an index that is not a segment.
    std::optional<std::string> titleForSegmentAtIndex(int index) const;
    // Ignored for an index that is not a segment.
    void setTitleForSegmentAtIndex(std::string title, int index);

    int selectedSegmentIndex() const { return m_selected; }
    void setSelectedSegmentIndex(int index);

    void setTitleTextAttributes(TitleTextAttributes attributes, unsigned state);
    const TitleTextAttributes* titleTextAttributesForState(unsigned state) const;

    // A tap on a segment: selects it and sends the value-changed actions when the choice changed.
    // Ignored, as UIControl::tap is, while the control takes no taps, and for no segment.
    bool tapSegmentAtIndex(int index);
    // The label that shows a segment's title (for drawing and tests).
    std::shared_ptr<UILabel> labelForSegmentAtIndex(int index) const;

    void layoutSubviews() override;

private:
    void rebuildLabels();
    void styleLabels();

    std::vector<std::string> m_titles;
    std::vector<std::shared_ptr<UILabel>> m_labels;
    std::map<unsigned, TitleTextAttributes> m_attributes;
    int m_selected = UISegmentedControlNoSegment;
};
