#include "platform/ui/UINib.h"

#include "platform/ui/InterfaceFileReader.h"
#include "platform/ui/InterfaceViewBuilder.h"

std::shared_ptr<UINib> UINib::nibWithName(const std::string& name)
{
    auto spec = InterfaceFileReader::nib(name);
    return spec ? std::make_shared<UINib>(std::move(spec)) : nullptr;
}

UINib::UINib(std::shared_ptr<const NibSpec> spec)
    : m_spec(std::move(spec))
{
}

std::vector<std::shared_ptr<UIView>> UINib::instantiateWithOwner(const InterfaceObject& owner) const
{
    std::vector<const InterfaceViewSpec*> roots;
    for (const auto& view : m_spec->views)
        roots.push_back(&view);
    return InterfaceViewBuilder::build(roots, m_spec->ownerClass, owner, m_spec->name + ".nib.json");
}

std::vector<std::shared_ptr<UIView>> UINib::loadNibNamed(const std::string& name, const InterfaceObject& owner)
{
    auto nib = nibWithName(name);
    return nib ? nib->instantiateWithOwner(owner) : std::vector<std::shared_ptr<UIView>> {};
}
