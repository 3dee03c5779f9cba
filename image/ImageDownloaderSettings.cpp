// ImageDownloader: headers, limits and the settings handed to new downloads.
#include "image/ImageDownloader.h"

#include "image/ImageDownloaderState.h"

void ImageDownloader::setValueForHTTPHeaderField(const std::optional<std::string>& value, const std::string& field)
{
    std::lock_guard lock(m_state->mutex);
    if (value)
        m_state->headers[field] = *value;
    else
        m_state->headers.erase(field);
}

std::optional<std::string> ImageDownloader::valueForHTTPHeaderField(const std::string& field) const
{
    std::lock_guard lock(m_state->mutex);
    const auto it = m_state->headers.find(field);
    return it == m_state->headers.end() ? std::nullopt : std::optional<std::string>(it->second);
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
    std::lock_guard lock(m_state->mutex);
    return m_state->shouldDecompressImages;
}

void ImageDownloader::setShouldDecompressImages(bool decompress)
{
    std::lock_guard lock(m_state->mutex);
    m_state->shouldDecompressImages = decompress;
}

double ImageDownloader::downloadTimeout() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->downloadTimeout;
}

void ImageDownloader::setDownloadTimeout(double seconds)
{
    std::lock_guard lock(m_state->mutex);
    m_state->downloadTimeout = seconds;
}

ImageDownloadOrder ImageDownloader::executionOrder() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->executionOrder;
}

void ImageDownloader::setExecutionOrder(ImageDownloadOrder order)
{
    std::lock_guard lock(m_state->mutex);
    m_state->executionOrder = order;
}

void ImageDownloader::setCredential(std::string username, std::string password)
{
    std::lock_guard lock(m_state->mutex);
    m_state->username = std::move(username);
    m_state->password = std::move(password);
}

void ImageDownloader::setHeadersFilter(HeadersFilter filter)
{
    std::lock_guard lock(m_state->mutex);
    m_state->headersFilter = std::move(filter);
}

void ImageDownloader::setOperationClass(OperationFactory factory)
{
    std::lock_guard lock(m_state->mutex);
    m_state->operationFactory = std::move(factory);
}
