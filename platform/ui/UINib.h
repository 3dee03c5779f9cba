#pragma once

#include "platform/ui/InterfaceObject.h"
#include "platform/ui/InterfaceDescriptions.h"

#include <memory>
#include <string>
#include <vector>

class UIView;

// A nib file: top-level views built on each instantiation, connected to the given owner.
class UINib {
public:
    // Null, with a log line, for a nib that is missing or malformed.
    static std::shared_ptr<UINib> nibWithName(const std::string& name);
    explicit UINib(std::shared_ptr<const NibDescription> contents);

    const std::string& name() const { return m_contents->name; }
    // The top-level views in file order; empty, with a log line, when the nib names anything the
    // registry does not know. Without an owner, the outlets and actions to the owner stay unset.
    std::vector<std::shared_ptr<UIView>> instantiateWithOwner(const InterfaceObject& owner = {}) const;

    // nibWithName and instantiateWithOwner in one step; empty when either fails.
    static std::vector<std::shared_ptr<UIView>> loadNibNamed(const std::string& name, const InterfaceObject& owner = {});

private:
    std::shared_ptr<const NibDescription> m_contents;
};
