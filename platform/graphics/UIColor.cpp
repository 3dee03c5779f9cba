#include "platform/graphics/UIColor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
// Components are kept within 0 to 1, as the platform clamps them; NaN reads as 0.
double clampUnit(double v)
{
    if (std::isnan(v))
        return 0;
    return std::clamp(v, 0.0, 1.0);
}
} // namespace

UIColor::UIColor(Model model, double c0, double c1, double c2, double c3)
    : m_model(model)
    , m_components {clampUnit(c0), clampUnit(c1), clampUnit(c2), clampUnit(c3)}
{
}

std::shared_ptr<UIColor> UIColor::colorWithWhite(double white, double alpha)
{
    return std::shared_ptr<UIColor>(new UIColor(Model::Monochrome, white, alpha, 0, 0));
}

std::shared_ptr<UIColor> UIColor::colorWithRed(double red, double green, double blue, double alpha)
{
    return std::shared_ptr<UIColor>(new UIColor(Model::RGB, red, green, blue, alpha));
}

#define FLOORPAD_NAMED_COLOR(name, expr)                                                                             \
    std::shared_ptr<UIColor> UIColor::name()                                                                         \
    {                                                                                                                \
        static const std::shared_ptr<UIColor> color = expr;                                                          \
        return color;                                                                                                \
    }

FLOORPAD_NAMED_COLOR(blackColor, colorWithWhite(0, 1))
FLOORPAD_NAMED_COLOR(darkGrayColor, colorWithWhite(1.0 / 3.0, 1))
FLOORPAD_NAMED_COLOR(grayColor, colorWithWhite(0.5, 1))
FLOORPAD_NAMED_COLOR(lightGrayColor, colorWithWhite(2.0 / 3.0, 1))
FLOORPAD_NAMED_COLOR(whiteColor, colorWithWhite(1, 1))
FLOORPAD_NAMED_COLOR(clearColor, colorWithWhite(0, 0))
FLOORPAD_NAMED_COLOR(redColor, colorWithRed(1, 0, 0, 1))
FLOORPAD_NAMED_COLOR(greenColor, colorWithRed(0, 1, 0, 1))
FLOORPAD_NAMED_COLOR(blueColor, colorWithRed(0, 0, 1, 1))
FLOORPAD_NAMED_COLOR(cyanColor, colorWithRed(0, 1, 1, 1))
FLOORPAD_NAMED_COLOR(yellowColor, colorWithRed(1, 1, 0, 1))
FLOORPAD_NAMED_COLOR(magentaColor, colorWithRed(1, 0, 1, 1))
FLOORPAD_NAMED_COLOR(orangeColor, colorWithRed(1, 0.5, 0, 1))
FLOORPAD_NAMED_COLOR(purpleColor, colorWithRed(0.5, 0, 0.5, 1))
FLOORPAD_NAMED_COLOR(brownColor, colorWithRed(0.6, 0.4, 0.2, 1))

#undef FLOORPAD_NAMED_COLOR

double UIColor::component(int index) const
{
    if (index < 0 || index >= numberOfComponents())
        return 0;
    return m_components[index];
}

double UIColor::alpha() const
{
    return m_model == Model::Monochrome ? m_components[1] : m_components[3];
}

UIColor::RGBA UIColor::rgba() const
{
    if (m_model == Model::Monochrome)
        return {m_components[0], m_components[0], m_components[0], m_components[1]};
    return {m_components[0], m_components[1], m_components[2], m_components[3]};
}

bool UIColor::getWhite(double& white, double& alpha) const
{
    if (m_model != Model::Monochrome)
        return false;
    white = m_components[0];
    alpha = m_components[1];
    return true;
}

std::shared_ptr<UIColor> UIColor::colorWithAlphaComponent(double newAlpha) const
{
    if (m_model == Model::Monochrome)
        return colorWithWhite(m_components[0], newAlpha);
    return colorWithRed(m_components[0], m_components[1], m_components[2], newAlpha);
}

bool UIColor::isEqual(const UIColor& other) const
{
    if (m_model != other.m_model)
        return false;
    for (int i = 0; i < numberOfComponents(); ++i) {
        if (m_components[i] != other.m_components[i])
            return false;
    }
    return true;
}

bool UIColor::equal(const std::shared_ptr<UIColor>& a, const std::shared_ptr<UIColor>& b)
{
    if (!a || !b)
        return !a && !b;
    return a->isEqual(*b);
}

std::string UIColor::description() const
{
    char buffer[96];
    if (m_model == Model::Monochrome)
        std::snprintf(buffer, sizeof buffer, "UIColor(white %g, alpha %g)", m_components[0], m_components[1]);
    else
        std::snprintf(buffer, sizeof buffer, "UIColor(red %g, green %g, blue %g, alpha %g)", m_components[0],
                      m_components[1], m_components[2], m_components[3]);
    return buffer;
}
