#pragma once

#include "platform/ui/InterfaceObject.h"
#include "platform/ui/InterfaceDescriptions.h"

#include <memory>
#include <string>
#include <vector>

class UIView;

// Makes the views of an interface file through the class registry, sets their properties and
// connects outlets, delegates and actions to the owner and to each other. Actions and
// connections hold their targets weakly, so a screen's view never keeps the screen alive.
class InterfaceViewBuilder {
public:
    // The top-level views in file order; nothing, with a log line, when the file names a class,
    // outlet, action, property or connection the registry does not know. A value of the wrong
    // form, or an owner that does not adopt the protocol a connection needs, is logged and left out.
    static std::vector<std::shared_ptr<UIView>> build(const std::vector<const ViewDescription*>& roots,
                                                      const std::string& ownerClass, const InterfaceObject& owner,
                                                      const std::string& fileName);
};
