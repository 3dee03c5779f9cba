#pragma once

#include "platform/capture/AVCaptureConnection.h"
#include "platform/graphics/UIImage.h"

#include <memory>
#include <mutex>
#include <vector>

class AVCaptureSession;

// Something a session hands its frames to. captureFrame runs on the session's capture thread;
// what an output reports to its delegate it posts to the main run loop, unless it says otherwise.
class AVCaptureOutput : public std::enable_shared_from_this<AVCaptureOutput> {
public:
    virtual ~AVCaptureOutput() = default;
    std::vector<AVCaptureConnectionPtr> connections() const;

    virtual void captureFrame(const UIImagePtr& frame) = 0;
    // The session stopped (on the thread that stopped it); work waiting for a frame ends here.
    virtual void sessionDidStop() {}

private:
    friend class AVCaptureSession;
    void setConnection(AVCaptureConnectionPtr connection);

    mutable std::mutex m_connectionMutex;
    AVCaptureConnectionPtr m_connection;
};

using AVCaptureOutputPtr = std::shared_ptr<AVCaptureOutput>;
