#include "platform/capture/AVCaptureVideoPreviewLayer.h"

#include "platform/graphics/UIGraphics.h"

#include <algorithm>

std::shared_ptr<AVCaptureVideoPreviewLayer> AVCaptureVideoPreviewLayer::layerWithSession(AVCaptureSessionPtr session)
{
    auto layer = std::make_shared<AVCaptureVideoPreviewLayer>(std::move(session));
    if (layer->m_session)
        layer->m_session->addFrameObserver(layer);
    return layer;
}

AVCaptureVideoPreviewLayer::AVCaptureVideoPreviewLayer(AVCaptureSessionPtr session)
    : m_session(std::move(session))
{
    setOpaque(false);
    setUserInteractionEnabled(false);
}

CGRect AVCaptureVideoPreviewLayer::frameRectForSize(CGSize frameSize) const
{
    const CGRect& b = bounds();
    if (m_gravity == AVLayerVideoGravityResize || frameSize.width <= 0 || frameSize.height <= 0)
        return b;
    const double sx = b.size.width / frameSize.width, sy = b.size.height / frameSize.height;
    const double k = m_gravity == AVLayerVideoGravityResizeAspectFill ? std::max(sx, sy) : std::min(sx, sy);
    const double w = frameSize.width * k, h = frameSize.height * k;
    return CGRectMake(b.origin.x + (b.size.width - w) / 2, b.origin.y + (b.size.height - h) / 2, w, h);
}

CGRect AVCaptureVideoPreviewLayer::metadataOutputRectOfInterestForRect(const CGRect& rect) const
{
    auto frame = m_session ? m_session->currentFrame() : nullptr;
    const CGRect shown = frameRectForSize(frame ? CGSizeMake(frame->pixelWidth(), frame->pixelHeight())
                                                : CGSizeMake(1920, 1080));
    if (!(shown.size.width > 0) || !(shown.size.height > 0))
        return CGRectZero;
    const double x = (rect.origin.x - shown.origin.x) / shown.size.width;
    const double y = (rect.origin.y - shown.origin.y) / shown.size.height;
    return CGRectMake(y, x, rect.size.height / shown.size.height, rect.size.width / shown.size.width);
}

void AVCaptureVideoPreviewLayer::drawRect(const CGRect&)
{
    auto frame = m_session ? m_session->currentFrame() : nullptr;
    if (!frame)
        return;
    frame->drawInRect(frameRectForSize(frame->size()));
}

void AVCaptureVideoPreviewLayer::didMoveToWindow()
{
    if (m_orderAction)
        m_orderAction(window() ? "onOrderIn" : "onOrderOut");
}
