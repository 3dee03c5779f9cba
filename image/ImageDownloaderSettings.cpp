// ImageDownloader: headers, limits and the settings handed to new downloads.
#include "image/ImageDownloader.h"

#include "image/ImageDownloaderState.h"

void ImageDownloader::setValueForHTTPHeaderField(const std::optional<std::string>& value, const std::string& field)
{
    std::lock_guard lock(m_state->settingsMutex);
    if (value)
        m_state->settings.headers[field] = *value;
    else
        m_state->settings.headers.erase(field);
}

std::optional<std::string> ImageDownloader::valueForHTTPHeaderField(const std::string& field) const
{
    std::lock_guard lock(m_state->settingsMutex);
    const auto it = m_state->settings.headers.find(field);
    return it == m_state->settings.headers.end() ? std::nullopt : std::optional<std::string>(it->second);
}

int ImageDownloader::maxConcurrentDownloads() const
{
    return m_state->queue.maxConcurrentOperationCount();
}

void ImageDownloader::setMaxConcurrentDownloads(int count)
{
    m_state->queue.setMaxConcurrentOperationCount(count);
}

std::size_t ImageDownloader::currentDownloadCount() const
{
    return m_state->queue.operationCount();
}

void ImageDownloader::setSuspended(bool suspended)
{
    m_state->queue.setSuspended(suspended);
}

void ImageDownloader::cancelAllDownloads()
{
    m_state->queue.cancelAllOperations();
}

bool ImageDownloader::shouldDecompressImages() const
{
    std::lock_guard lock(m_state->settingsMutex);
    return m_state->settings.shouldDecompressImages;
}

void ImageDownloader::setShouldDecompressImages(bool decompress)
{
    std::lock_guard lock(m_state->settingsMutex);
    m_state->settings.shouldDecompressImages = decompress;
}

double ImageDownloader::downloadTimeout() const
{
    std::lock_guard lock(m_state->settingsMutex);
    return m_state->settings.downloadTimeout;
}

void ImageDownloader::setDownloadTimeout(double seconds)
{
    std::lock_guard lock(m_state->settingsMutex);
    m_state->settings.downloadTimeout = seconds;
}

ImageDownloadOrder ImageDownloader::executionOrder() const
{
    std::lock_guard lock(m_state->settingsMutex);
    return m_state->settings.executionOrder;
}

void ImageDownloader::setExecutionOrder(ImageDownloadOrder order)
{
    std::lock_guard lock(m_state->settingsMutex);
    m_state->settings.executionOrder = order;
}

void ImageDownloader::setCredential(std::string username, std::string password)
{
    std::lock_guard lock(m_state->settingsMutex);
    m_state->settings.username = std::move(username);
    m_state->settings.password = std::move(password);
}

void ImageDownloader::setHeadersFilter(HeadersFilter filter)
{
    std::lock_guard lock(m_state->settingsMutex);
    m_state->settings.headersFilter = std::move(filter);
}

void ImageDownloader::setOperationClass(OperationFactory factory)
{
    std::lock_guard lock(m_state->settingsMutex);
    m_state->settings.operationFactory = std::move(factory);
}
