#pragma once

#include "platform/ui/InterfaceDescriptions.h"

#include <set>
#include <string>
#include <vector>

// Checks what an interface file names against the class registry: every class is registered
// and of the right kind, every outlet, action, property and connection exists on the class it
// is set on, and actions are wired from controls. Classes that other layers provide may be
// trusted by name: while unregistered they are taken as they are; once registered they are
// checked like any other.
class InterfaceChecker {
public:
    explicit InterfaceChecker(std::set<std::string> providedElsewhere = {});

    // Each fault as one line; none means the file can be built.
    std::vector<std::string> checkStoryboard(const StoryboardDescription& storyboard) const;
    std::vector<std::string> checkNib(const NibDescription& nib) const;
    // ownerClass may be empty when the owner is unknown: connections to it are then faults.
    std::vector<std::string> checkViews(const std::vector<const ViewDescription*>& roots,
                                        const std::string& ownerClass, const std::string& where) const;

private:
    enum class Known { Yes, Trusted, No };
    Known viewClass(const std::string& name) const;
    void checkView(const ViewDescription& view, const std::map<std::string, std::string>& classOf,
                   const std::string& where, std::vector<std::string>& problems) const;

    std::set<std::string> m_providedElsewhere;
};
