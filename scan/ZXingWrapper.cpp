#include "scan/ZXingWrapper.h"

#include "platform/capture/LuminanceImage.h"
#include "platform/capture/PixelPicture.h"
#include "platform/graphics/PixelLimits.h"
#include "scan/ZXingFormatNumbers.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/CharacterSet.h>
#include <ZXing/MultiFormatWriter.h>

#include <cmath>
#include <exception>

std::shared_ptr<ZXingWrapper> ZXingWrapper::init()
{
    auto wrapper = std::make_shared<ZXingWrapper>();
    wrapper->m_capture = ScanZXCapture::create();
    wrapper->m_capture->setCamera(ScanZXCapture::back());
    wrapper->m_capture->setFocusMode(AVCaptureFocusMode::ContinuousAutoFocus);
    wrapper->m_capture->setRotation(90);
    wrapper->m_capture->setDelegate(wrapper);
    return wrapper;
}

std::shared_ptr<ZXingWrapper> ZXingWrapper::initWithPreView(const UIViewPtr& preView, Block block)
{
    auto wrapper = init();
    wrapper->m_block = std::move(block);
    if (preView) {
        const auto& layer = wrapper->m_capture->layer();
        layer->setFrame(CGRectMake(0, 0, preView->frame().size.width, preView->frame().size.height));
        preView->insertSubviewAtIndex(layer, 0);
    }
    return wrapper;
}

void ZXingWrapper::setScanRect(const CGRect& scanRect)
{
    m_capture->setScanRect(scanRect);
}

void ZXingWrapper::start()
{
    m_capture->start();
    bNeedScanResult = true;
}

void ZXingWrapper::stop()
{
    bNeedScanResult = false;
    m_capture->stop();
}

void ZXingWrapper::openTorch(bool on)
{
    m_capture->setTorch(on);
}

void ZXingWrapper::openOrCloseTorch()
{
    m_capture->changeTorch();
}

void ZXingWrapper::captureResult(ScanZXCapture&, const DecodedCode& result, const UIImagePtr& scanImage)
{
    if (!bNeedScanResult || !m_block)
        return;
    stop();
    auto block = m_block;
    block(ZXingFormatNumbers::numberForFormat(result.format).value_or(ZXingFormatNumbers::QRCode), result.text,
          scanImage);
}

void ZXingWrapper::recognizeImage(const UIImagePtr& image, const RecognizeBlock& block)
{
    if (!block)
        return;
    if (image) {
        const auto codes = CodeReader::read(LuminanceImage::fromImage(*image), ZXing::BarcodeFormat::Any);
        if (!codes.empty()) {
            block(ZXingFormatNumbers::numberForFormat(codes.front().format).value_or(ZXingFormatNumbers::QRCode),
                  codes.front().text);
            return;
        }
    }
    block(ZXingFormatNumbers::QRCode, std::nullopt);
}

namespace {
UIImagePtr imageOfMatrix(const ZXing::BitMatrix& matrix)
{
    return pictureFromPixels(matrix.width(), matrix.height(),
                             [&](int x, int y) { return matrix.get(x, y) ? 0xFF000000u : 0xFFFFFFFFu; });
}
} // namespace

UIImagePtr ZXingWrapper::createCodeWithString(const std::string& str, CGSize size, std::int32_t format)
{
    const auto barcodeFormat = ZXingFormatNumbers::formatForNumber(format);
    if (!barcodeFormat || !std::isfinite(size.width))
        return nullptr;
    const double side = std::trunc(size.width);
    if (!PixelLimits::allows(side, side))
        return nullptr;
    try {
        // UTF-8 where the format carries a character set, so Chinese text is not refused.
        const auto matrix = ZXing::MultiFormatWriter(*barcodeFormat)
                                .setEncoding(ZXing::CharacterSet::UTF8)
                                .encode(str, static_cast<int>(side), static_cast<int>(side));
        return imageOfMatrix(matrix);
    } catch (const std::exception&) {
        // The writer refuses texts its format cannot carry (letters in EAN-13, a wrong length ...)
        // by throwing; to the caller that is simply no image.
        return nullptr;
    }
}
