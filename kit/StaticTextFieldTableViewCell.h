#pragma once

#include "kit/StaticContentTableViewCell.h"

#include <memory>

class UITextField;

// A static-table row that also carries a text field of its own, for a row whose configure
// callback puts an editable value in the table cell. No screen declares such a row yet.
class StaticTextFieldTableViewCell : public StaticContentTableViewCell {
public:
    using StaticContentTableViewCell::StaticContentTableViewCell;

    const std::shared_ptr<UITextField>& contentTextField() const { return m_contentTextField; }
    void setContentTextField(std::shared_ptr<UITextField> field) { m_contentTextField = std::move(field); }

private:
    std::shared_ptr<UITextField> m_contentTextField;
};
