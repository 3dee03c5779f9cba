#pragma once

#include "platform/capture/AVCaptureConnection.h"
#include "platform/graphics/UIImage.h"

#include <cstdint>
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

    // Advances whenever the session starts or stops and whenever the output changes what it looks
    // for. A report posted from a frame is handed over only while the session runs in the
    // generation the frame was read in: a stop followed by a start before the main loop comes
    // round must not bring the last run's reports into the new one.
    std::uint64_t generation() const;
    bool isCurrent(std::uint64_t generation) const;
    // Called after a setting a frame is read with has changed, by the output or by a delegate
    // that reads the frames with settings of its own.
    void advanceGeneration();

protected:
    bool sessionIsRunning() const;
    // The session stopped (on the thread that stopped it); work waiting for a frame ends here.
    virtual void sessionDidStop() {}

private:
    friend class AVCaptureSession;
    void setConnection(AVCaptureConnectionPtr connection);
    void setSessionRunning(bool running);

    mutable std::mutex m_stateMutex;
    AVCaptureConnectionPtr m_connection;
    bool m_sessionRunning = false;
    std::uint64_t m_generation = 0;
};

using AVCaptureOutputPtr = std::shared_ptr<AVCaptureOutput>;
