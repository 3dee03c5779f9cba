#include "platform/ui/UINib.h"

#include "platform/ui/InterfaceFileReader.h"
#include "platform/ui/InterfaceViewBuilder.h"

std::shared_ptr<UINib> UINib::nibWithName(const std::string& name)
{
    auto contents = InterfaceFileReader::nib(name);
    return contents ? std::make_shared<UINib>(std::move(contents)) : nullptr;
}

UINib::UINib(std::shared_ptr<const NibDescription> contents)
    : m_contents(std::move(contents))
{
}

std::vector<std::shared_ptr<UIView>> UINib::instantiateWithOwner(const InterfaceObject& owner) const
{
    std::vector<const ViewDescription*> roots;
    for (const auto& view : m_contents->views)
        roots.push_back(&view);
    return InterfaceViewBuilder::build(roots, m_contents->ownerClass, owner, m_contents->name + ".nib.json");
}

std::vector<std::shared_ptr<UIView>> UINib::loadNibNamed(const std::string& name, const InterfaceObject& owner)
{
    auto nib = nibWithName(name);
    return nib ? nib->instantiateWithOwner(owner) : std::vector<std::shared_ptr<UIView>> {};
}
