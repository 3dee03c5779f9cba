#include "session/records/SongObject.h"

#include "platform/foundation/NumberValue.h"

#include <array>

void SongObject::setLanguage(const std::string& code)
{
    static const std::array<const char*, 16> labels = {
        "国语", "粤语", "闽南", "日语", "韩语", "英语", "马来", "印尼",
        "潮州", "客家", "泰国", "越南", "菲律宾", "印度", "缅甸", "其他",
    };
    const int value = intValue(code);
    if (value >= 1 && value <= 16)
        language = labels[static_cast<std::size_t>(value - 1)];
}
