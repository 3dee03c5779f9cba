#include "scan/ScanNetAnimation.h"

#include "platform/foundation/RunLoop.h"

std::shared_ptr<ScanNetAnimation> ScanNetAnimation::create()
{
    auto net = std::make_shared<ScanNetAnimation>();
    net->addSubview(net->scanImageView());
    return net;
}

ScanNetAnimation::ScanNetAnimation()
{
    setClipsToBounds(true);
}

ScanNetAnimation::~ScanNetAnimation()
{
    RunLoop::main().cancelPerforms(this);
}

const UIImageViewPtr& ScanNetAnimation::scanImageView()
{
    if (!m_scanImageView)
        m_scanImageView = UIImageView::create();
    return m_scanImageView;
}

void ScanNetAnimation::startAnimatingWithRect(const CGRect& rect, UIView& parentView, UIImagePtr image)
{
    scanImageView()->setImage(std::move(image));
    animationRect = rect;
    parentView.addSubview(shared_from_this());
    setHidden(false);
    if (!isAnimationing) {
        isAnimationing = true;
        ++m_generation;
        stepAnimation();
    }
}

void ScanNetAnimation::stepAnimation()
{
    if (!isAnimationing)
        return;
    setFrame(animationRect);
    const double w = animationRect.size.width, h = animationRect.size.height;
    setAlpha(0.5);
    scanImageView()->setFrame(CGRectMake(0, -h, w, h));
    const std::uint64_t generation = m_generation;
    std::weak_ptr<UIView> weak = weak_from_this();
    UIView::animateWithDuration(
        1.4,
        [this, w, h] {
            setAlpha(1);
            scanImageView()->setFrame(CGRectMake(0, w - h, w, h));
        },
        [weak, generation](bool finished) {
            auto net = std::static_pointer_cast<ScanNetAnimation>(weak.lock());
            if (net && net->m_generation == generation)
                net->animationDidStop(finished);
        });
}

void ScanNetAnimation::animationDidStop(bool)
{
    if (!isAnimationing)
        return;
    const std::uint64_t generation = m_generation;
    std::weak_ptr<UIView> weak = weak_from_this();
    RunLoop::main().perform(
        [weak, generation] {
            auto net = std::static_pointer_cast<ScanNetAnimation>(weak.lock());
            if (net && net->m_generation == generation)
                net->stepAnimation();
        },
        0.3, this);
}

void ScanNetAnimation::stopAnimating()
{
    setHidden(true);
    isAnimationing = false;
    ++m_generation;
    RunLoop::main().cancelPerforms(this);
}
