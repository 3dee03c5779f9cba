#include "platform/ui/UIStoryboardSegue.h"

#include "platform/foundation/Log.h"
#include "platform/ui/TypeName.h"
#include "platform/ui/UINavigationController.h"

UIStoryboardSegue::UIStoryboardSegue(std::string identifier, std::shared_ptr<UIViewController> source,
                                     std::shared_ptr<UIViewController> destination, UIStoryboardSegueKind kind)
    : m_identifier(std::move(identifier))
    , m_source(std::move(source))
    , m_destination(std::move(destination))
    , m_kind(kind)
{
}

void UIStoryboardSegue::perform()
{
    if (!m_source || !m_destination)
        return;
    if (m_kind == UIStoryboardSegueKind::Modal) {
        m_source->presentViewController(m_destination, true);
        return;
    }
    auto* navigation = dynamic_cast<UINavigationController*>(m_source.get());
    if (!navigation)
        navigation = m_source->navigationController();
    if (!navigation) {
        NSLog("Push segue '%s' from %s: the source is not inside a navigation controller", m_identifier.c_str(),
              typeNameOf(*m_source).c_str());
        return;
    }
    navigation->pushViewController(m_destination, true);
}
