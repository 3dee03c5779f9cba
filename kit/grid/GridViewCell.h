#pragma once

#include "platform/graphics/UIImage.h"
#include "platform/ui/UIButton.h"
#include "platform/ui/UIView.h"

#include <functional>
#include <memory>
#include <string>

// The view that shows one item of a GridView, and the base of the program's grid tiles.
//
// It holds the item's content view, a delete button shown while editing, a highlight passed on
// to the content's subviews, a wobble while its item is moved, and an optional full-size view
// that replaces the content while the item is zoomed. The grid parks it under its reuse
// identifier when its item scrolls away and hands it out again.
class GridViewCell : public UIView {
public:
    using DeleteBlock = std::function<void(GridViewCell&)>;

    static std::shared_ptr<GridViewCell> create(const CGRect& frame = CGRectZero);
    explicit GridViewCell(const CGRect& frame = CGRectZero);
    ~GridViewCell() override;

    const UIViewPtr& contentView() const { return m_contentView; }
    // Stops the content's wobble; the new view takes the old one's frame (the cell's bounds
    // for the first) and lies below the delete button.
    void setContentView(const UIViewPtr& view);

    const UIViewPtr& fullSizeView() const { return m_fullSizeView; }
    void setFullSizeView(const UIViewPtr& view);
    CGSize fullSize() const { return m_fullSize; }
    void setFullSize(CGSize size);
    unsigned defaultFullsizeViewResizingMask() const { return m_defaultFullsizeViewResizingMask; }
    void setDefaultFullsizeViewResizingMask(unsigned mask) { m_defaultFullsizeViewResizingMask = mask; }

    bool isEditing() const { return m_editing; }
    void setEditing(bool editing) { setEditing(editing, false); }
    // Shows or hides the delete button and makes the whole cell wobble while editing; nothing
    // happens when the state does not change.
    virtual void setEditing(bool editing, bool animated);

    bool isInShakingMode() const { return m_inShakingMode; }
    bool isInFullSizeMode() const { return m_inFullSizeMode; }

    bool isHighlighted() const { return m_highlighted; }
    // Passes the state to every subview of the content, at any depth, that has a highlight.
    virtual void setHighlighted(bool highlighted);

    const DeleteBlock& deleteBlock() const { return m_deleteBlock; }
    void setDeleteBlock(DeleteBlock block) { m_deleteBlock = std::move(block); }

    // The button lives as long as the cell holds it as a subview.
    UIButtonPtr deleteButton() const { return m_deleteButton.lock(); }
    UIImagePtr deleteButtonIcon() const;
    // With an image the button takes its size and shows it alone; without one it becomes the
    // 35 x 35 light grey "X".
    void setDeleteButtonIcon(const UIImagePtr& icon);
    CGPoint deleteButtonOffset() const;
    void setDeleteButtonOffset(CGPoint offset);

    const std::string& reuseIdentifier() const { return m_reuseIdentifier; }
    void setReuseIdentifier(std::string identifier) { m_reuseIdentifier = std::move(identifier); }

    // Before parking: no full-size view or size, editing off, no delete block. The content view,
    // the highlight and the reuse identifier stay.
    virtual void prepareForReuse();

    // Makes the content view (only) wobble or stop.
    void shake(bool on);
    void switchToFullSizeMode(bool fullSizeMode);
    // Called as a pinch grows the item; tiles that fade their full-size view in override it.
    virtual void stepToFullsizeWithAlpha(CGFloat) {}

    // Touches on the cell light it up while the finger is down; they go no further.
    virtual void touchesBegan();
    virtual void touchesEnded();
    virtual void touchesCancelled();

    // The delete button was tapped.
    void actionDelete();

    void layoutSubviews() override;

private:
    UIViewPtr m_contentView;
    UIViewPtr m_fullSizeView;
    CGSize m_fullSize {};
    unsigned m_defaultFullsizeViewResizingMask = 0;
    bool m_editing = false;
    bool m_inShakingMode = false;
    bool m_inFullSizeMode = false;
    bool m_highlighted = false;
    DeleteBlock m_deleteBlock;
    std::weak_ptr<UIButton> m_deleteButton;
    std::string m_reuseIdentifier;
};

using GridViewCellPtr = std::shared_ptr<GridViewCell>;
