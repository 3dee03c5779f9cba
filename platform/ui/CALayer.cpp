#include "platform/ui/CALayer.h"

#include <algorithm>

CALayer::CALayer()
    : m_self(std::make_shared<CALayer*>(this))
{
}

CALayer::~CALayer()
{
    for (auto& [key, entry] : m_animations)
        RunLoop::main().cancelPerform(entry.completion);
}

void CALayer::addAnimation(std::shared_ptr<CAAnimation> animation, const std::string& key)
{
    if (!animation)
        return;
    removeAnimationForKey(key);
    std::weak_ptr<CALayer*> weakSelf = m_self;
    const TimeInterval duration = std::max(0.0, animation->duration);
    const RunLoop::Id id = RunLoop::main().perform(
        [weakSelf, animation, key] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            CALayer* layer = *self;
            auto it = layer->m_animations.find(key);
            if (it == layer->m_animations.end() || it->second.animation != animation)
                return;
            it->second.completion = 0;
            if (animation->removedOnCompletion)
                layer->m_animations.erase(it);
            if (animation->didStop)
                animation->didStop(true);
        },
        duration, nullptr, {RunLoopModes::Common});
    m_animations[key] = {std::move(animation), id};
}

std::shared_ptr<CAAnimation> CALayer::animationForKey(const std::string& key) const
{
    auto it = m_animations.find(key);
    return it == m_animations.end() ? nullptr : it->second.animation;
}

std::vector<std::string> CALayer::animationKeys() const
{
    std::vector<std::string> keys;
    for (const auto& [key, entry] : m_animations)
        keys.push_back(key);
    return keys;
}

void CALayer::stopEntry(Entry entry)
{
    // An animation that had not finished is told so from the run loop, never from inside the
    // call that removed it.
    if (entry.completion == 0)
        return;
    RunLoop::main().cancelPerform(entry.completion);
    if (auto stop = entry.animation->didStop)
        RunLoop::main().perform([stop] { stop(false); }, 0, nullptr, {RunLoopModes::Common});
}

void CALayer::removeAnimationForKey(const std::string& key)
{
    auto it = m_animations.find(key);
    if (it == m_animations.end())
        return;
    Entry entry = it->second;
    m_animations.erase(it);
    stopEntry(std::move(entry));
}

void CALayer::removeAllAnimations()
{
    auto entries = std::move(m_animations);
    m_animations.clear();
    for (auto& [key, entry] : entries)
        stopEntry(std::move(entry));
}
