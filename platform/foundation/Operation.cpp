#include "platform/foundation/Operation.h"

void Operation::addDependency(const std::shared_ptr<Operation>& other)
{
    if (!other || other.get() == this)
        return;
    std::lock_guard lock(m_dependenciesMutex);
    m_dependencies.push_back(other);
}

bool Operation::isReady() const
{
    std::lock_guard lock(m_dependenciesMutex);
    for (const auto& weak : m_dependencies) {
        const auto dependency = weak.lock();
        if (dependency && !dependency->isFinished())
            return false;
    }
    return true;
}
