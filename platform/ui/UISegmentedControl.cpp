#include "platform/ui/UISegmentedControl.h"

#include "platform/ui/InterfaceProperty.h"

#include "platform/graphics/UIFont.h"
#include "platform/ui/CALayer.h"

#include <algorithm>

std::shared_ptr<UISegmentedControl> UISegmentedControl::create(const CGRect& frame, std::vector<std::string> titles)
{
    auto control = std::make_shared<UISegmentedControl>(frame);
    for (auto& title : titles)
        control->insertSegmentWithTitle(std::move(title), control->numberOfSegments());
    return control;
}

UISegmentedControl::UISegmentedControl(const CGRect& frame)
    : UIControl(frame)
{
    layer().borderWidth = 1;
    layer().cornerRadius = 4;
}

void UISegmentedControl::insertSegmentWithTitle(std::string title, int index)
{
    index = std::clamp(index, 0, numberOfSegments());
    m_titles.insert(m_titles.begin() + index, std::move(title));
    if (m_selected >= index)
        ++m_selected;
    rebuildLabels();
}

void UISegmentedControl::removeAllSegments()
{
    m_titles.clear();
    m_selected = UISegmentedControlNoSegment;
    rebuildLabels();
}

std::optional<std::string> UISegmentedControl::titleForSegmentAtIndex(int index) const
{
    if (index < 0 || index >= numberOfSegments())
        return std::nullopt;
    return m_titles[static_cast<std::size_t>(index)];
}

void UISegmentedControl::setTitleForSegmentAtIndex(std::string title, int index)
{
    if (index < 0 || index >= numberOfSegments())
        return;
    m_titles[static_cast<std::size_t>(index)] = title;
    m_labels[static_cast<std::size_t>(index)]->setText(std::move(title));
}

void UISegmentedControl::setSelectedSegmentIndex(int index)
{
    m_selected = index >= 0 && index < numberOfSegments() ? index : UISegmentedControlNoSegment;
    styleLabels();
}

void UISegmentedControl::setTitleTextAttributes(TitleTextAttributes attributes, unsigned state)
{
    m_attributes[state] = std::move(attributes);
    styleLabels();
}

const UISegmentedControl::TitleTextAttributes* UISegmentedControl::titleTextAttributesForState(unsigned state) const
{
    auto it = m_attributes.find(state);
    return it == m_attributes.end() ? nullptr : &it->second;
}

bool UISegmentedControl::tapSegmentAtIndex(int index)
{
    if (!acceptsTaps() || index < 0 || index >= numberOfSegments())
        return false;
    const bool changed = index != m_selected;
    setSelectedSegmentIndex(index);
    if (changed)
        sendActionsForControlEvents(UIControlEventValueChanged);
    return true;
}

std::shared_ptr<UILabel> UISegmentedControl::labelForSegmentAtIndex(int index) const
{
    if (index < 0 || index >= numberOfSegments())
        return nullptr;
    return m_labels[static_cast<std::size_t>(index)];
}

void UISegmentedControl::rebuildLabels()
{
    for (auto& label : m_labels)
        label->removeFromSuperview();
    m_labels.clear();
    for (const auto& title : m_titles) {
        auto label = UILabel::create();
        label->setText(title);
        label->setTextAlignment(NSTextAlignment::Center);
        label->setFont(UIFont::boldSystemFontOfSize(13));
        label->setAdjustsFontSizeToFitWidth(true);
        label->setMinimumScaleFactor(0.5);
        label->setBackgroundColor(UIColor::clearColor());
        addSubview(label);
        m_labels.push_back(std::move(label));
    }
    styleLabels();
    setNeedsLayout();
}

// The selected segment takes the selected state's attributes when there are any; every other
// segment those of the normal state.
void UISegmentedControl::styleLabels()
{
    for (int i = 0; i < numberOfSegments(); ++i) {
        const TitleTextAttributes* attributes = nullptr;
        if (i == m_selected)
            attributes = titleTextAttributesForState(UIControlStateSelected);
        if (!attributes)
            attributes = titleTextAttributesForState(UIControlStateNormal);
        auto& label = m_labels[static_cast<std::size_t>(i)];
        label->setTextColor(attributes && attributes->textColor ? attributes->textColor : UIColor::blackColor());
        label->setShadowColor(attributes ? attributes->textShadowColor : nullptr);
    }
}

void UISegmentedControl::layoutSubviews()
{
    const auto count = m_labels.size();
    if (count == 0)
        return;
    const CGRect area = bounds();
    const double width = area.size.width / static_cast<double>(count);
    for (std::size_t i = 0; i < count; ++i)
        m_labels[i]->setFrame(CGRectMake(area.origin.x + width * static_cast<double>(i), area.origin.y, width,
                                         area.size.height));
}

void UISegmentedControl::registerInterfaceClass(InterfaceRegistry& r)
{
    using namespace InterfaceProperty;
    r.registerViewClass<UISegmentedControl>("UISegmentedControl", "UIControl")
        .property("segments", prop<UISegmentedControl>(
                                  [](const json& v) -> std::optional<std::vector<std::string>> {
                                      if (!v.is_array())
                                          return std::nullopt;
                                      std::vector<std::string> titles;
                                      for (const auto& t : v) {
                                          if (!t.is_string())
                                              return std::nullopt;
                                          titles.push_back(t.get<std::string>());
                                      }
                                      return titles;
                                  },
                                  [](UISegmentedControl& c, const std::vector<std::string>& titles) {
                                      c.removeAllSegments();
                                      for (const auto& title : titles)
                                          c.insertSegmentWithTitle(title, c.numberOfSegments());
                                  }))
        .property("selectedSegmentIndex",
                  prop<UISegmentedControl>(asInteger, [](UISegmentedControl& c, int i) { c.setSelectedSegmentIndex(i); }));
}
