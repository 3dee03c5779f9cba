#include "platform/ui/InterfaceRegistry.h"
#include "platform/ui/InterfaceValues.h"
#include "platform/ui/UIActivityIndicatorView.h"
#include "platform/ui/UIButton.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UIPageControl.h"
#include "platform/ui/UINavigationController.h"
#include "platform/ui/UIScrollView.h"
#include "platform/ui/UISegmentedControl.h"
#include "platform/ui/UITableViewController.h"
#include "platform/ui/UITextField.h"

#include <nlohmann/json.hpp>

#include <optional>

using nlohmann::json;
namespace V = InterfaceValues;

namespace {

template <class T>
inline constexpr bool isOptional = false;
template <class T>
inline constexpr bool isOptional<std::optional<T>> = true;

// A property of views of class T: parse turns the file's value into an optional, apply sets it.
template <class T, class Parse, class Apply>
InterfaceRegistry::PropertySetter prop(Parse parse, Apply apply)
{
    return [parse, apply](UIView& view, const json& value) {
        auto* object = dynamic_cast<T*>(&view);
        auto parsed = parse(value);
        if (!object || !parsed)
            return false;
        if constexpr (isOptional<decltype(parsed)>)
            apply(*object, *parsed);
        else
            apply(*object, parsed); // a shared picture, colour or font
        return true;
    };
}

const auto asColor = [](const json& v) { return V::color(v); };
const auto asFont = [](const json& v) { return V::font(v); };
const auto asImage = [](const json& v) { return V::image(v); };
const auto asNumber = [](const json& v) { return V::number(v); };
const auto asFlag = [](const json& v) { return V::flag(v); };
const auto asText = [](const json& v) { return V::text(v); };
const auto asSize = [](const json& v) { return V::size(v); };
const auto asInteger = [](const json& v) { return V::integer(v); };

std::optional<NSTextAlignment> alignment(const json& v)
{
    auto c = V::choice(v, {{"left", 0}, {"center", 1}, {"right", 2}, {"justified", 3}, {"natural", 4}});
    return c ? std::optional(static_cast<NSTextAlignment>(*c)) : std::nullopt;
}

void registerViews(InterfaceRegistry& r)
{
    r.registerViewClass<UIView>("UIView", "")
        .property("backgroundColor", prop<UIView>(asColor, [](UIView& v, const UIColorPtr& c) { v.setBackgroundColor(c); }))
        .property("alpha", prop<UIView>(asNumber, [](UIView& v, double a) { v.setAlpha(a); }))
        .property("hidden", prop<UIView>(asFlag, [](UIView& v, bool h) { v.setHidden(h); }))
        .property("clipsToBounds", prop<UIView>(asFlag, [](UIView& v, bool c) { v.setClipsToBounds(c); }))
        .property("opaque", prop<UIView>(asFlag, [](UIView& v, bool o) { v.setOpaque(o); }))
        .property("userInteractionEnabled",
                  prop<UIView>(asFlag, [](UIView& v, bool e) { v.setUserInteractionEnabled(e); }))
        .property("autoresizingMask",
                  prop<UIView>(
                      [](const json& v) {
                          return V::mask(v, {{"flexibleLeftMargin", UIViewAutoresizingFlexibleLeftMargin},
                                             {"flexibleWidth", UIViewAutoresizingFlexibleWidth},
                                             {"flexibleRightMargin", UIViewAutoresizingFlexibleRightMargin},
                                             {"flexibleTopMargin", UIViewAutoresizingFlexibleTopMargin},
                                             {"flexibleHeight", UIViewAutoresizingFlexibleHeight},
                                             {"flexibleBottomMargin", UIViewAutoresizingFlexibleBottomMargin}});
                      },
                      [](UIView& v, unsigned m) { v.setAutoresizingMask(m); }))
        .property("contentMode",
                  prop<UIView>(
                      [](const json& v) {
                          return V::choice(v, {{"scaleToFill", 0}, {"scaleAspectFit", 1}, {"scaleAspectFill", 2},
                                               {"redraw", 3}, {"center", 4}, {"top", 5}, {"bottom", 6}, {"left", 7},
                                               {"right", 8}, {"topLeft", 9}, {"topRight", 10}, {"bottomLeft", 11},
                                               {"bottomRight", 12}});
                      },
                      [](UIView& v, int m) { v.setContentMode(static_cast<UIViewContentMode>(m)); }))
        .property("cornerRadius", prop<UIView>(asNumber, [](UIView& v, double radius) { v.layer().cornerRadius = radius; }))
        .property("borderWidth", prop<UIView>(asNumber, [](UIView& v, double w) { v.layer().borderWidth = w; }))
        .property("borderColor", prop<UIView>(asColor, [](UIView& v, const UIColorPtr& c) { v.layer().borderColor = c; }));

    r.registerViewClass<UILabel>("UILabel", "UIView")
        .property("text", prop<UILabel>(asText, [](UILabel& l, const std::string& t) { l.setText(t); }))
        .property("font", prop<UILabel>(asFont, [](UILabel& l, const UIFontPtr& f) { l.setFont(f); }))
        .property("textColor", prop<UILabel>(asColor, [](UILabel& l, const UIColorPtr& c) { l.setTextColor(c); }))
        .property("highlightedTextColor",
                  prop<UILabel>(asColor, [](UILabel& l, const UIColorPtr& c) { l.setHighlightedTextColor(c); }))
        .property("textAlignment", prop<UILabel>(alignment, [](UILabel& l, NSTextAlignment a) { l.setTextAlignment(a); }))
        .property("numberOfLines", prop<UILabel>(asInteger, [](UILabel& l, int n) { l.setNumberOfLines(n); }))
        .property("adjustsFontSizeToFitWidth",
                  prop<UILabel>(asFlag, [](UILabel& l, bool a) { l.setAdjustsFontSizeToFitWidth(a); }))
        .property("minimumFontSize", prop<UILabel>(asNumber, [](UILabel& l, double s) { l.setMinimumFontSize(s); }))
        .property("shadowColor", prop<UILabel>(asColor, [](UILabel& l, const UIColorPtr& c) { l.setShadowColor(c); }))
        .property("shadowOffset", prop<UILabel>(asSize, [](UILabel& l, CGSize s) { l.setShadowOffset(s); }));

    r.registerViewClass<UIImageView>("UIImageView", "UIView")
        .property("image", prop<UIImageView>(asImage, [](UIImageView& v, const UIImagePtr& i) { v.setImage(i); }))
        .property("highlightedImage",
                  prop<UIImageView>(asImage, [](UIImageView& v, const UIImagePtr& i) { v.setHighlightedImage(i); }));

    r.registerViewClass<UIControl>("UIControl", "UIView")
        .property("enabled", prop<UIControl>(asFlag, [](UIControl& c, bool e) { c.setEnabled(e); }))
        .property("selected", prop<UIControl>(asFlag, [](UIControl& c, bool s) { c.setSelected(s); }));

    r.registerViewClass<UIButton>("UIButton", "UIControl")
        .property("title", prop<UIButton>(asText, [](UIButton& b, const std::string& t) { b.setTitle(t); }))
        .property("highlightedTitle",
                  prop<UIButton>(asText, [](UIButton& b, const std::string& t) { b.setTitle(t, UIControlStateHighlighted); }))
        .property("titleColor", prop<UIButton>(asColor, [](UIButton& b, const UIColorPtr& c) { b.setTitleColor(c); }))
        .property("highlightedTitleColor", prop<UIButton>(asColor, [](UIButton& b, const UIColorPtr& c) {
                      b.setTitleColor(c, UIControlStateHighlighted);
                  }))
        .property("font", prop<UIButton>(asFont, [](UIButton& b, const UIFontPtr& f) { b.titleLabel()->setFont(f); }))
        .property("image", prop<UIButton>(asImage, [](UIButton& b, const UIImagePtr& i) { b.setImage(i); }))
        .property("highlightedImage", prop<UIButton>(asImage, [](UIButton& b, const UIImagePtr& i) {
                      b.setImage(i, UIControlStateHighlighted);
                  }))
        .property("selectedImage",
                  prop<UIButton>(asImage, [](UIButton& b, const UIImagePtr& i) { b.setImage(i, UIControlStateSelected); }))
        .property("backgroundImage",
                  prop<UIButton>(asImage, [](UIButton& b, const UIImagePtr& i) { b.setBackgroundImage(i); }))
        .property("highlightedBackgroundImage", prop<UIButton>(asImage, [](UIButton& b, const UIImagePtr& i) {
                      b.setBackgroundImage(i, UIControlStateHighlighted);
                  }));

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

    r.registerViewClass<UIPageControl>("UIPageControl", "UIControl")
        .property("numberOfPages", prop<UIPageControl>(asInteger, [](UIPageControl& c, int n) { c.setNumberOfPages(n); }))
        .property("currentPageIndicatorTintColor", prop<UIPageControl>(asColor, [](UIPageControl& c, const UIColorPtr& color) {
                      c.setCurrentPageIndicatorTintColor(color);
                  }))
        .property("pageIndicatorTintColor", prop<UIPageControl>(asColor, [](UIPageControl& c, const UIColorPtr& color) {
                      c.setPageIndicatorTintColor(color);
                  }));

    r.registerViewClass<UITextField>("UITextField", "UIControl")
        .property("text", prop<UITextField>(asText, [](UITextField& f, const std::string& t) { f.setText(t); }))
        .property("placeholder", prop<UITextField>(asText, [](UITextField& f, const std::string& t) { f.setPlaceholder(t); }))
        .property("font", prop<UITextField>(asFont, [](UITextField& f, const UIFontPtr& font) { f.setFont(font); }))
        .property("textColor", prop<UITextField>(asColor, [](UITextField& f, const UIColorPtr& c) { f.setTextColor(c); }))
        .property("textAlignment",
                  prop<UITextField>(alignment, [](UITextField& f, NSTextAlignment a) { f.setTextAlignment(a); }))
        .property("secureTextEntry", prop<UITextField>(asFlag, [](UITextField& f, bool s) { f.setSecureTextEntry(s); }))
        .property("clearsOnBeginEditing",
                  prop<UITextField>(asFlag, [](UITextField& f, bool c) { f.setClearsOnBeginEditing(c); }))
        .property("borderStyle",
                  prop<UITextField>(
                      [](const json& v) { return V::choice(v, {{"none", 0}, {"line", 1}, {"bezel", 2}, {"roundedRect", 3}}); },
                      [](UITextField& f, int s) { f.setBorderStyle(static_cast<UITextBorderStyle>(s)); }))
        .property("keyboardType",
                  prop<UITextField>(
                      [](const json& v) {
                          return V::choice(v, {{"default", 0}, {"numbersAndPunctuation", 2}, {"numberPad", 4}});
                      },
                      [](UITextField& f, int k) { f.setKeyboardType(static_cast<UIKeyboardType>(k)); }))
        .connection("delegate", [](UIView& view, const InterfaceObject& target) {
            auto* field = dynamic_cast<UITextField*>(&view);
            auto delegate = interfaceObjectAs<UITextFieldDelegate>(target);
            if (!field || !delegate)
                return false;
            field->setDelegate(delegate);
            return true;
        });

    r.registerViewClass<UITableView>("UITableView", "UIScrollView")
        .property("style", prop<UITableView>(
                               [](const json& v) { return V::choice(v, {{"plain", 0}, {"grouped", 1}}); },
                               [](UITableView& t, int s) { t.setStyle(static_cast<UITableViewStyle>(s)); }))
        .property("rowHeight", prop<UITableView>(asNumber, [](UITableView& t, double h) { t.setRowHeight(h); }))
        .property("sectionHeaderHeight",
                  prop<UITableView>(asNumber, [](UITableView& t, double h) { t.setSectionHeaderHeight(h); }))
        .property("sectionFooterHeight",
                  prop<UITableView>(asNumber, [](UITableView& t, double h) { t.setSectionFooterHeight(h); }))
        .property("allowsSelection", prop<UITableView>(asFlag, [](UITableView& t, bool a) { t.setAllowsSelection(a); }))
        .connection("dataSource",
                    [](UIView& view, const InterfaceObject& target) {
                        auto* table = dynamic_cast<UITableView*>(&view);
                        auto source = interfaceObjectAs<UITableViewDataSource>(target);
                        if (!table || !source)
                            return false;
                        table->setDataSource(source);
                        return true;
                    })
        .connection("delegate", [](UIView& view, const InterfaceObject& target) {
            auto* table = dynamic_cast<UITableView*>(&view);
            auto delegate = interfaceObjectAs<UITableViewDelegate>(target);
            if (!table || !delegate)
                return false;
            table->setDelegate(delegate);
            return true;
        });

    r.registerViewClass<UITableViewCell>("UITableViewCell", "UIView");

    r.registerViewClass<UIScrollView>("UIScrollView", "UIView")
        .property("contentSize", prop<UIScrollView>(asSize, [](UIScrollView& s, CGSize c) { s.setContentSize(c); }))
        .property("pagingEnabled", prop<UIScrollView>(asFlag, [](UIScrollView& s, bool p) { s.setPagingEnabled(p); }))
        .property("scrollEnabled", prop<UIScrollView>(asFlag, [](UIScrollView& s, bool e) { s.setScrollEnabled(e); }))
        .property("bounces", prop<UIScrollView>(asFlag, [](UIScrollView& s, bool b) { s.setBounces(b); }))
        .property("showsHorizontalScrollIndicator",
                  prop<UIScrollView>(asFlag, [](UIScrollView& s, bool b) { s.setShowsHorizontalScrollIndicator(b); }))
        .property("showsVerticalScrollIndicator",
                  prop<UIScrollView>(asFlag, [](UIScrollView& s, bool b) { s.setShowsVerticalScrollIndicator(b); }));

    r.registerViewClass<UIActivityIndicatorView>("UIActivityIndicatorView", "UIView", [](const CGRect& frame) {
         auto view = std::make_shared<UIActivityIndicatorView>();
         view->setFrame(frame);
         return std::static_pointer_cast<UIView>(view);
     })
        .property("style", prop<UIActivityIndicatorView>(
                               [](const json& v) { return V::choice(v, {{"whiteLarge", 0}, {"white", 1}, {"gray", 2}}); },
                               [](UIActivityIndicatorView& a, int s) {
                                   a.setActivityIndicatorViewStyle(static_cast<UIActivityIndicatorViewStyle>(s));
                               }))
        .property("color",
                  prop<UIActivityIndicatorView>(asColor, [](UIActivityIndicatorView& a, const UIColorPtr& c) { a.setColor(c); }))
        .property("hidesWhenStopped",
                  prop<UIActivityIndicatorView>(asFlag, [](UIActivityIndicatorView& a, bool h) { a.setHidesWhenStopped(h); }))
        .property("animating", prop<UIActivityIndicatorView>(asFlag, [](UIActivityIndicatorView& a, bool on) {
                      if (on)
                          a.startAnimating();
                      else
                          a.stopAnimating();
                  }));
}

void registerControllers(InterfaceRegistry& r)
{
    r.registerControllerClass<UIViewController>("UIViewController", "");
    r.registerControllerClass<UINavigationController>("UINavigationController", "UIViewController");
    r.registerControllerClass<UITableViewController>("UITableViewController", "UIViewController");
}

} // namespace

void registerPlatformInterfaceClasses()
{
    auto& registry = InterfaceRegistry::shared();
    if (registry.isRegistered("UIView"))
        return;
    registerViews(registry);
    registerControllers(registry);
}
