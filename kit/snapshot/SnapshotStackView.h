#pragma once

#include "platform/foundation/NSURL.h"
#include "platform/graphics/UIImage.h"
#include "platform/ui/UIView.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

class CGContext;
class ImageManager;
class ImageOperation;

// A picture shown as a photograph on a white card with a grey outline and a soft shadow: one
// card whose shadow curls up under its bottom edge, or a stack of three cards, two of them
// turned a little behind the unturned top card that carries the picture. The card or the stack
// is scaled to fit the view and redrawn whenever the picture or the display mode changes.
class SnapshotStackView : public UIView {
public:
    // One card of the stack: its turn, and the box that encloses the picture turned by it.
    struct SnapshotPosition {
        double angleRotation = 0; // degrees
        CGSize boundingRectSize {};
    };

    static std::shared_ptr<SnapshotStackView> create(const CGRect& frame = CGRectZero);
    explicit SnapshotStackView(const CGRect& frame = CGRectZero);

    const UIImagePtr& image() const { return m_image; }
    void setImage(UIImagePtr image);
    bool displayAsStack() const { return m_displayStack; }
    void setDisplayAsStack(bool displayAsStack);
    // Shown when a downloaded picture turns out empty.
    const UIImagePtr& DefaultImage() const { return m_defaultImage; }
    void setDefaultImage(UIImagePtr image) { m_defaultImage = std::move(image); }

    // The card that limits the stack's scale, and whether by its width.
    std::int64_t minScaleShotIndex() const { return m_minScaleShotIdx; }
    bool scaledUsingWidth() const { return m_scaledUsingWidth; }
    const std::array<SnapshotPosition, 3>& snapshotPositions() const { return m_snapshotPositions; }

    void drawRect(const CGRect& rect) override;

    // Takes the picture at the URL from the shared image manager, once it has come; a new URL
    // lets go of the load before it, and none only does that.
    void setImageWithURL(const std::optional<NSURL>& url);
    // The picture of a finished download; one without height gives way to DefaultImage.
    void webImageManagerDidFinishWithImage(ImageManager& manager, const UIImagePtr& image);

private:
    void commonInitialisation();
    void calculateScalingToFitStack();
    // Both draw their cards and give the rectangle of the card that carries the picture.
    CGRect drawSingleCard(CGContext& context, CGPoint mid, CGSize frameSize) const;
    CGRect drawStack(CGContext& context, CGPoint mid, CGSize frameSize) const;

    UIImagePtr m_image;
    double m_imageAspect = 1;
    bool m_displayStack = false;
    std::array<SnapshotPosition, 3> m_snapshotPositions {};
    std::int64_t m_minScaleShotIdx = 0;
    bool m_scaledUsingWidth = false;
    double m_shadowDirSign = 1.0;
    UIImagePtr m_defaultImage;
    std::shared_ptr<ImageOperation> m_load;
};

using SnapshotStackViewPtr = std::shared_ptr<SnapshotStackView>;
