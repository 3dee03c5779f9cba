#include "kit/StatusBarStyle.h"

#include "platform/ui/UIScreen.h"

std::shared_ptr<StatusBarStyle> StatusBarStyle::defaultStyleWithName(const std::string& identifier)
{
    auto style = std::make_shared<StatusBarStyle>();
    style->barColor = UIColor::whiteColor();
    style->progressBarColor = UIColor::greenColor();
    style->progressBarHeight = 1.0;
    style->progressBarPosition = Bottom;
    style->textColor = UIColor::grayColor();
    style->font = UIFont::systemFontOfSize(12);
    style->animationType = Slide;
    // One physical pixel more than a point, whatever the screen's density.
    const double hairlinePlusPoint = 1.0 + 1.0 / UIScreen::mainScreen().scale();

    if (identifier == StatusBarStyleDefault)
        return style;
    if (identifier == StatusBarStyleError) {
        style->barColor = UIColor::colorWithRed(0.588, 0.118, 0.0, 1.0);
        style->textColor = UIColor::whiteColor();
        style->progressBarColor = UIColor::redColor();
        style->progressBarHeight = 2.0;
        return style;
    }
    if (identifier == StatusBarStyleWarning) {
        style->barColor = UIColor::colorWithRed(0.9, 0.734, 0.034, 1.0);
        style->textColor = UIColor::darkGrayColor();
        style->progressBarColor = style->textColor;
        return style;
    }
    if (identifier == StatusBarStyleSuccess) {
        style->barColor = UIColor::colorWithRed(0.588, 0.797, 0.0, 1.0);
        style->textColor = UIColor::whiteColor();
        style->progressBarColor = UIColor::colorWithRed(0.106, 0.594, 0.319, 1.0);
        style->progressBarHeight = hairlinePlusPoint;
        return style;
    }
    if (identifier == StatusBarStyleDark) {
        style->barColor = UIColor::colorWithRed(0.05, 0.078, 0.12, 1.0);
        style->textColor = UIColor::colorWithWhite(0.95, 1.0);
        style->progressBarHeight = hairlinePlusPoint;
        return style;
    }
    if (identifier == StatusBarStyleMatrix) {
        style->barColor = UIColor::blackColor();
        style->textColor = UIColor::greenColor();
        style->font = UIFont::fontWithName("Courier-Bold", 14);
        style->progressBarColor = UIColor::greenColor();
        style->progressBarHeight = 2.0;
        return style;
    }
    return nullptr;
}

const std::vector<std::string>& StatusBarStyle::allDefaultStyleIdentifier()
{
    static const std::vector<std::string> identifiers {StatusBarStyleError, StatusBarStyleWarning,
                                                       StatusBarStyleSuccess, StatusBarStyleMatrix, StatusBarStyleDark};
    return identifiers;
}

std::shared_ptr<StatusBarStyle> StatusBarStyle::copy() const
{
    return std::make_shared<StatusBarStyle>(*this);
}
