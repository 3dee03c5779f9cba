#pragma once

#include "platform/ui/UIImageView.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UITableViewTypes.h"
#include "platform/ui/UIView.h"

#include <memory>
#include <string>

class InterfaceRegistry;

// One row of a table: a content view holding a picture and one or two labels placed by the
// cell's style, and an accessory on the right (a view of the caller's, or a mark by type).
// The detail label exists only in the styles that show one.
class UITableViewCell : public UIView {
public:
    // Makes the class known to interface files, with the properties they may set.
    static void registerInterfaceClass(InterfaceRegistry& r);
    static std::shared_ptr<UITableViewCell> create(UITableViewCellStyle style, std::string reuseIdentifier);
    UITableViewCell(UITableViewCellStyle style, std::string reuseIdentifier);
    explicit UITableViewCell(const CGRect& frame = CGRectZero);

    UITableViewCellStyle style() const { return m_style; }
    const std::string& reuseIdentifier() const { return m_reuseIdentifier; }

    const std::shared_ptr<UIView>& contentView() const { return m_contentView; }
    const UILabelPtr& textLabel() const { return m_textLabel; }
    // Null in the default style.
    const UILabelPtr& detailTextLabel() const { return m_detailTextLabel; }
    const UIImageViewPtr& imageView() const { return m_imageView; }

    UITableViewCellAccessoryType accessoryType() const { return m_accessoryType; }
    void setAccessoryType(UITableViewCellAccessoryType type);
    const std::shared_ptr<UIView>& accessoryView() const { return m_accessoryView; }
    void setAccessoryView(std::shared_ptr<UIView> view);

    UITableViewCellSelectionStyle selectionStyle() const { return m_selectionStyle; }
    void setSelectionStyle(UITableViewCellSelectionStyle style)
    {
        m_selectionStyle = style;
        setNeedsDisplay();
    }
    bool isSelected() const { return m_selected; }
    virtual void setSelected(bool selected, bool animated = false);
    bool isHighlighted() const { return m_highlighted; }
    virtual void setHighlighted(bool highlighted, bool animated = false);
    // Whether the cell shows its selection colour now.
    bool showsSelection() const;

    // Called when the table hands the cell out again; resets selection and highlight.
    virtual void prepareForReuse();

    void layoutSubviews() override;
    void drawRect(const CGRect& rect) override;

private:
    void build();

    UITableViewCellStyle m_style = UITableViewCellStyle::Default;
    std::string m_reuseIdentifier;
    std::shared_ptr<UIView> m_contentView;
    UILabelPtr m_textLabel;
    UILabelPtr m_detailTextLabel;
    UIImageViewPtr m_imageView;
    UILabelPtr m_accessoryMark;
    UITableViewCellAccessoryType m_accessoryType = UITableViewCellAccessoryType::None;
    std::shared_ptr<UIView> m_accessoryView;
    UITableViewCellSelectionStyle m_selectionStyle = UITableViewCellSelectionStyle::Blue;
    bool m_selected = false;
    bool m_highlighted = false;
};

using UITableViewCellPtr = std::shared_ptr<UITableViewCell>;
