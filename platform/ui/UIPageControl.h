#pragma once

#include "platform/graphics/UIColor.h"
#include "platform/ui/UIControl.h"

#include <cstdint>
#include <memory>

class InterfaceRegistry;

// A row of dots, one per page, with the current page's dot lit. A tap on either side of the
// dots moves one page that way and sends the value-changed actions; the owner then shows the page.
class UIPageControl : public UIControl {
public:
    // Makes the class known to interface files, with the properties they may set.
    static void registerInterfaceClass(InterfaceRegistry& r);
    static std::shared_ptr<UIPageControl> create(const CGRect& frame = CGRectZero);
    explicit UIPageControl(const CGRect& frame = CGRectZero);

    std::int64_t numberOfPages() const { return m_numberOfPages; }
    // Below zero counts as zero; the current page is brought back within the pages.
    void setNumberOfPages(std::int64_t pages);
    std::int64_t currentPage() const { return m_currentPage; }
    // Clamped to the pages present; sends no action.
    void setCurrentPage(std::int64_t page);
    bool hidesForSinglePage() const { return m_hidesForSinglePage; }
    void setHidesForSinglePage(bool hides);

    const UIColorPtr& pageIndicatorTintColor() const { return m_indicatorColor; }
    void setPageIndicatorTintColor(UIColorPtr color);
    const UIColorPtr& currentPageIndicatorTintColor() const { return m_currentIndicatorColor; }
    void setCurrentPageIndicatorTintColor(UIColorPtr color);

    // A finger down and up at the point (in the control's space). Returns whether the page changed.
    bool tapAtPoint(CGPoint point);

    // Where the dot of a page is drawn, in the control's space.
    CGRect indicatorRectForPage(std::int64_t page) const;
    void drawRect(const CGRect& rect) override;

private:
    std::int64_t m_numberOfPages = 0;
    std::int64_t m_currentPage = 0;
    bool m_hidesForSinglePage = false;
    UIColorPtr m_indicatorColor;
    UIColorPtr m_currentIndicatorColor;
};

using UIPageControlPtr = std::shared_ptr<UIPageControl>;
