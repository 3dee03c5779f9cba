#include "scan/ScanLineAnimation.h"

#include "platform/foundation/RunLoop.h"

ScanLineAnimation::~ScanLineAnimation()
{
    if (timer)
        timer->invalidate();
    RunLoop::main().cancelPerforms(this);
}

void ScanLineAnimation::startAnimatingWithRect(const CGRect& rect, UIView& parentView, UIImagePtr image)
{
    if (isAnimationing)
        return;
    isAnimationing = true;
    ++m_generation;
    animationRect = rect;
    down = true;
    num = 0;
    const auto& r = rect;
    setFrame(CGRectMake(r.origin.x + 5, r.origin.y + r.size.height / 2, r.size.width - 10, 2));
    setImage(std::move(image));
    parentView.addSubview(shared_from_this());
    stepAnimation();
}

void ScanLineAnimation::stepAnimation()
{
    if (!isAnimationing)
        return;
    const auto& r = animationRect;
    setFrame(CGRectMake(r.origin.x + 5, r.origin.y + 8, r.size.width - 10, 8));
    setAlpha(0);
    setHidden(false);
    UIView::animateWithDuration(0.5, [this] { setAlpha(1); });
    const std::uint64_t generation = m_generation;
    std::weak_ptr<UIView> weak = weak_from_this();
    UIView::animateWithDuration(
        3.0, [this, r] { setFrame(CGRectMake(r.origin.x + 5, r.origin.y + r.size.height - 8, r.size.width - 10, 4)); },
        [weak, generation](bool) {
            auto line = std::static_pointer_cast<ScanLineAnimation>(weak.lock());
            if (!line || !line->isAnimationing || line->m_generation != generation)
                return;
            line->setHidden(true);
            RunLoop::main().perform(
                [weak, generation] {
                    auto again = std::static_pointer_cast<ScanLineAnimation>(weak.lock());
                    if (again && again->m_generation == generation)
                        again->stepAnimation();
                },
                0.3, line.get());
        });
}

void ScanLineAnimation::stopAnimating()
{
    if (isAnimationing) {
        isAnimationing = false;
        ++m_generation;
        if (timer)
            timer->invalidate();
        timer.reset();
        removeFromSuperview();
    }
    RunLoop::main().cancelPerforms(this);
}

void ScanLineAnimation::startAnimating_NSTimer()
{
    if (timer)
        timer->invalidate();
    std::weak_ptr<UIView> weak = weak_from_this();
    timer = NSTimer::scheduledTimerWithTimeInterval(0.02, true, [weak](NSTimer& fired) {
        if (auto line = std::static_pointer_cast<ScanLineAnimation>(weak.lock()))
            line->scanLineAnimation();
        else
            fired.invalidate();
    });
}

void ScanLineAnimation::scanLineAnimation()
{
    const auto& r = animationRect;
    const double centre = r.origin.y + r.size.height / 2;
    const double y = centre + 2.0 * num;
    setFrame(CGRectMake(r.origin.x + 5, y, r.size.width - 10, 2));
    if (down) {
        ++num;
        if (y > r.origin.y + r.size.height - 5)
            down = false;
    } else {
        --num;
        if (y < r.origin.y + 5)
            down = true;
    }
}
