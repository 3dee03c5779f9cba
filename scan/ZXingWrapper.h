#pragma once

#include "platform/graphics/UIImage.h"
#include "platform/ui/UIView.h"
#include "scan/ScanZXCapture.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// The second engine: a live scan on ScanZXCapture that takes the first result and stops, still
// picture reading, and code images from zxing-cpp's writer.
class ZXingWrapper final : public ScanZXCaptureDelegate, public std::enable_shared_from_this<ZXingWrapper> {
public:
    // (format number, text, picture)
    using Block = std::function<void(std::int32_t, const std::string&, const UIImagePtr&)>;
    using RecognizeBlock = std::function<void(std::int32_t, const std::optional<std::string>&)>;

    static std::shared_ptr<ZXingWrapper> init();
    static std::shared_ptr<ZXingWrapper> initWithPreView(const UIViewPtr& preView, Block block);

    void setScanRect(const CGRect& scanRect);
    void start();
    void stop();
    void openTorch(bool on);
    void openOrCloseTorch();
    void captureResult(ScanZXCapture& capture, const DecodedCode& result, const UIImagePtr& scanImage) override;

    const ScanZXCapturePtr& capture() const { return m_capture; }
    bool wantsScanResult() const { return bNeedScanResult; }

    // Reads one code of the picture: (its format number, its text), or (11, nothing).
    static void recognizeImage(const UIImagePtr& image, const RecognizeBlock& block);
    // A code of the format number drawn at (at least) the integer part of the width, square;
    // null for a format the writer lacks, a text it refuses, or a size that cannot be drawn.
    static UIImagePtr createCodeWithString(const std::string& str, CGSize size, std::int32_t format);

private:
    ScanZXCapturePtr m_capture;
    Block m_block;
    bool bNeedScanResult = false;
};

using ZXingWrapperPtr = std::shared_ptr<ZXingWrapper>;
