#pragma once

#include <memory>
#include <string>

// An immutable colour in one of two models: grey (white and alpha) or RGB (red, green, blue
// and alpha). Colours are shared objects: callers that care whether a colour changed compare
// pointers, callers that care what it looks like compare with isEqual().
class UIColor {
public:
    enum class Model { Monochrome = 0, RGB = 1 };

    struct RGBA {
        double red = 0, green = 0, blue = 0, alpha = 0;
    };

    static std::shared_ptr<UIColor> colorWithWhite(double white, double alpha);
    static std::shared_ptr<UIColor> colorWithRed(double red, double green, double blue, double alpha);

    // The platform's named colours; each call returns the same object.
    static std::shared_ptr<UIColor> blackColor();     // white 0
    static std::shared_ptr<UIColor> darkGrayColor();  // white 1/3
    static std::shared_ptr<UIColor> grayColor();      // white 0.5
    static std::shared_ptr<UIColor> lightGrayColor(); // white 2/3
    static std::shared_ptr<UIColor> whiteColor();     // white 1
    static std::shared_ptr<UIColor> clearColor();     // white 0, alpha 0
    static std::shared_ptr<UIColor> redColor();
    static std::shared_ptr<UIColor> greenColor();
    static std::shared_ptr<UIColor> blueColor();
    static std::shared_ptr<UIColor> cyanColor();
    static std::shared_ptr<UIColor> yellowColor();
    static std::shared_ptr<UIColor> magentaColor();
    static std::shared_ptr<UIColor> orangeColor();
    static std::shared_ptr<UIColor> purpleColor();
    static std::shared_ptr<UIColor> brownColor();

    Model model() const { return m_model; }
    // Grey model: (white, alpha); RGB model: (red, green, blue, alpha).
    int numberOfComponents() const { return m_model == Model::Monochrome ? 2 : 4; }
    double component(int index) const;
    double alpha() const;
    // The colour as RGB, whatever its model.
    RGBA rgba() const;
    // Only in the grey model: the white level and alpha. Returns false for an RGB colour.
    bool getWhite(double& white, double& alpha) const;

    std::shared_ptr<UIColor> colorWithAlphaComponent(double alpha) const;

    // Same model and same components: grey 1 and RGB (1, 1, 1) look alike but are not equal.
    bool isEqual(const UIColor& other) const;
    // Equal colours, two absent ones, or one absent and the other not.
    static bool equal(const std::shared_ptr<UIColor>& a, const std::shared_ptr<UIColor>& b);

    std::string description() const;

private:
    UIColor(Model model, double c0, double c1, double c2, double c3);
    Model m_model;
    double m_components[4];
};

using UIColorPtr = std::shared_ptr<UIColor>;
