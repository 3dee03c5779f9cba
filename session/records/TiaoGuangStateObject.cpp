#include "session/records/TiaoGuangStateObject.h"

#include "platform/foundation/NumberValue.h"

#include <memory>

namespace {
std::unique_ptr<TiaoGuangStateObject>& instance()
{
    static std::unique_ptr<TiaoGuangStateObject> state;
    return state;
}
} // namespace

TiaoGuangStateObject& TiaoGuangStateObject::sharedInstance()
{
    auto& state = instance();
    if (!state)
        state = std::make_unique<TiaoGuangStateObject>();
    return *state;
}

void TiaoGuangStateObject::resetForTesting()
{
    instance().reset();
}

void TiaoGuangStateObject::setCurrentMode(const std::string& code)
{
    static const char* const labels[] = {"选秀", "慢摇", "商务", "K歌", "清洁", "柔和"};
    const int value = intValue(code);
    if (value >= 1 && value <= 6)
        m_CurrentMode = labels[value - 1];
}
