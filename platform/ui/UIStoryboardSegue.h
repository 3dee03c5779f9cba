#pragma once

#include "platform/ui/UIViewController.h"

#include <memory>
#include <string>

enum class UIStoryboardSegueKind { Push, Modal };

// One trip from a scene to another, made when a controller performs a segue: the source has seen
// it in prepareForSegue before perform() pushes the destination onto the source's navigation
// controller or presents it over the source.
class UIStoryboardSegue {
public:
    UIStoryboardSegue(std::string identifier, std::shared_ptr<UIViewController> source,
                      std::shared_ptr<UIViewController> destination, UIStoryboardSegueKind kind);
    virtual ~UIStoryboardSegue() = default;

    const std::string& identifier() const { return m_identifier; }
    const std::shared_ptr<UIViewController>& sourceViewController() const { return m_source; }
    const std::shared_ptr<UIViewController>& destinationViewController() const { return m_destination; }
    UIStoryboardSegueKind kind() const { return m_kind; }

    // A push from a controller outside any navigation controller logs a line and does nothing.
    virtual void perform();

private:
    std::string m_identifier;
    std::shared_ptr<UIViewController> m_source;
    std::shared_ptr<UIViewController> m_destination;
    UIStoryboardSegueKind m_kind;
};
