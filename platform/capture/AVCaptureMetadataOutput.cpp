#include "platform/capture/AVCaptureMetadataOutput.h"

#include "platform/capture/CodeReader.h"
#include "platform/capture/MetadataCodeTypes.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cmath>

namespace {
double unit(double v)
{
    return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0;
}
} // namespace

void AVCaptureMetadataOutput::setMetadataObjectsDelegate(std::weak_ptr<AVCaptureMetadataOutputObjectsDelegate> delegate)
{
    std::lock_guard lock(m_mutex);
    m_delegate = std::move(delegate);
}

void AVCaptureMetadataOutput::setMetadataObjectTypes(const std::vector<AVMetadataObjectType>& types)
{
    const auto& available = MetadataCodeTypes::all();
    std::vector<AVMetadataObjectType> kept;
    for (const auto& type : types) {
        if (std::find(available.begin(), available.end(), type) != available.end())
            kept.push_back(type);
    }
    {
        std::lock_guard lock(m_mutex);
        m_types = std::move(kept);
    }
    advanceGeneration();
}

std::vector<AVMetadataObjectType> AVCaptureMetadataOutput::metadataObjectTypes() const
{
    std::lock_guard lock(m_mutex);
    return m_types;
}

CGRect AVCaptureMetadataOutput::rectOfInterest() const
{
    std::lock_guard lock(m_mutex);
    return m_rectOfInterest;
}

CGRect AVCaptureMetadataOutput::clampedToUnitSquare(const CGRect& rect)
{
    const double x = unit(rect.origin.x), y = unit(rect.origin.y);
    const double right = std::max(x, unit(rect.origin.x + rect.size.width));
    const double bottom = std::max(y, unit(rect.origin.y + rect.size.height));
    return CGRectMake(x, y, right - x, bottom - y);
}

void AVCaptureMetadataOutput::setRectOfInterest(const CGRect& rect)
{
    const CGRect kept = clampedToUnitSquare(rect);
    {
        std::lock_guard lock(m_mutex);
        m_rectOfInterest = kept;
    }
    advanceGeneration();
}

CGRect AVCaptureMetadataOutput::cropInFrame(const CGRect& r, double frameWidth, double frameHeight)
{
    return CGRectMake(r.origin.y * frameWidth, r.origin.x * frameHeight, r.size.height * frameWidth,
                      r.size.width * frameHeight);
}

std::shared_ptr<const LuminanceImage> AVCaptureMetadataOutput::luminanceOf(const UIImagePtr& frame,
                                                                         const CGRect& crop) const
{
    std::lock_guard lock(m_lastMutex);
    if (m_last.luminance && m_last.frame.lock() == frame && CGRectEqualToRect(m_last.crop, crop))
        return m_last.luminance;
    m_last = {frame, crop, std::make_shared<const LuminanceImage>(LuminanceImage::fromImage(*frame, &crop))};
    return m_last.luminance;
}

std::vector<AVMetadataObjectPtr> AVCaptureMetadataOutput::recognise(const UIImagePtr& frame) const
{
    if (!frame)
        return {};
    std::vector<AVMetadataObjectType> types;
    CGRect interest;
    {
        std::lock_guard lock(m_mutex);
        types = m_types;
        interest = m_rectOfInterest;
    }
    const double w = frame->pixelWidth(), h = frame->pixelHeight();
    const CGRect crop = cropInFrame(interest, w, h);
    const auto luminance = luminanceOf(frame, crop);
    std::vector<AVMetadataObjectPtr> batch;
    for (const auto& code : CodeReader::read(*luminance, MetadataCodeTypes::formatsFor(types))) {
        auto reading = MetadataCodeTypes::readingFor(code.format, code.text, types);
        if (!reading)
            continue;
        const CGRect& b = code.bounds;
        const CGRect normalised = CGRectMake((b.origin.x + std::floor(crop.origin.x)) / w,
                                             (b.origin.y + std::floor(crop.origin.y)) / h, b.size.width / w,
                                             b.size.height / h);
        batch.push_back(std::make_shared<AVMetadataMachineReadableCodeObject>(reading->type, normalised,
                                                                              std::move(reading->text)));
    }
    return batch;
}

void AVCaptureMetadataOutput::captureFrame(const UIImagePtr& frame)
{
    // Taken before the settings the frame is read with: a setting changed after this point
    // leaves the batch stale, since the setters store first and advance afterwards.
    const std::uint64_t generation = this->generation();
    std::weak_ptr<AVCaptureMetadataOutputObjectsDelegate> delegate;
    {
        std::lock_guard lock(m_mutex);
        if (m_delegate.expired() || m_types.empty())
            return;
        delegate = m_delegate;
    }
    auto batch = recognise(frame);
    if (batch.empty())
        return;
    auto connections = this->connections();
    std::weak_ptr<AVCaptureOutput> self = weak_from_this();
    RunLoop::main().post([self, delegate, generation, batch = std::move(batch), connections = std::move(connections)] {
        auto output = self.lock();
        auto receiver = delegate.lock();
        if (output && receiver && output->isCurrent(generation))
            receiver->captureOutput(*output, batch, connections.empty() ? nullptr : connections.front().get());
    });
}
