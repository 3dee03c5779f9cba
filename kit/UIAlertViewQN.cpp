#include "kit/UIAlertViewQN.h"

std::shared_ptr<UIAlertView> UIAlertViewQN::setMsg(std::optional<std::string> message)
{
    return UIAlertView::create("提示", std::move(message), {}, std::string("确定"));
}
