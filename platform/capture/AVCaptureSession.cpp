#include "platform/capture/AVCaptureSession.h"

#include "platform/capture/CaptureThread.h"
#include "platform/foundation/ProcessExit.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <unistd.h>
#include <utility>

namespace {
struct RunningCapture {
    std::weak_ptr<AVCaptureSession> session;
    std::shared_ptr<CaptureThread> thread;
    pid_t process; // whose thread it is: a forked child lists its parent's captures but has not their threads
};

// The captures whose threads run, for the end of the application and of the process. Never
// destroyed: it is used while the process ends.
struct RunningCaptures {
    std::mutex mutex;
    std::vector<RunningCapture> running;
    pid_t stoppedAtExitOf = 0; // the process whose end stops its captures

    static RunningCaptures& shared()
    {
        static auto* captures = new RunningCaptures;
        return *captures;
    }

    // Checked and listed under the lock that the process's end takes after it has begun, so the
    // end either finds the new thread or prevents it.
    std::shared_ptr<CaptureThread> start(std::weak_ptr<AVCaptureSession> session, double interval,
                                         std::function<void()> frame)
    {
        std::lock_guard lock(mutex);
        if (ProcessExit::hasBegun())
            return nullptr;
        // Once in each process that starts a capture: a forked child's own captures need its end to
        // stop them. A first start that passed the check as the end began finds the end closed
        // here, and starts nothing that would then run on unstopped.
        if (stoppedAtExitOf != ::getpid()) {
            if (!ProcessExit::add(&AVCaptureSession::stopAllRunning))
                return nullptr;
            stoppedAtExitOf = ::getpid();
        }
        auto thread = std::make_shared<CaptureThread>(interval, std::move(frame));
        running.push_back({std::move(session), thread, ::getpid()});
        return thread;
    }

    // Once the thread is joined: until then the process's end must find it, to wait for it.
    void forget(const std::shared_ptr<CaptureThread>& thread)
    {
        std::lock_guard lock(mutex);
        std::erase_if(running, [&](const auto& capture) { return capture.thread == thread; });
    }
};
} // namespace

void AVCaptureSession::stopAllRunning()
{
    std::vector<RunningCapture> running;
    {
        std::lock_guard lock(RunningCaptures::shared().mutex);
        std::copy_if(RunningCaptures::shared().running.begin(), RunningCaptures::shared().running.end(),
                     std::back_inserter(running), [](const auto& capture) { return capture.process == ::getpid(); });
    }
    // A session on its way out elsewhere cannot be stopped through, but its thread still can.
    for (const auto& capture : running) {
        if (auto session = capture.session.lock())
            session->stopRunning();
        capture.thread->stop();
        RunningCaptures::shared().forget(capture.thread);
    }
}

AVCaptureSession::~AVCaptureSession()
{
    stopRunning();
}

bool AVCaptureSession::canAddInput(const AVCaptureDeviceInputPtr& input) const
{
    std::lock_guard lock(m_mutex);
    return input && m_inputs.empty();
}

void AVCaptureSession::addInput(const AVCaptureDeviceInputPtr& input)
{
    if (!canAddInput(input))
        return;
    {
        std::lock_guard lock(m_mutex);
        m_inputs.push_back(input);
    }
    connectOutputs();
}

void AVCaptureSession::removeInput(const AVCaptureDeviceInputPtr& input)
{
    {
        std::lock_guard lock(m_mutex);
        std::erase(m_inputs, input);
    }
    connectOutputs();
}

std::vector<AVCaptureDeviceInputPtr> AVCaptureSession::inputs() const
{
    std::lock_guard lock(m_mutex);
    return m_inputs;
}

bool AVCaptureSession::canAddOutput(const AVCaptureOutputPtr& output) const
{
    std::lock_guard lock(m_mutex);
    return output && std::find(m_outputs.begin(), m_outputs.end(), output) == m_outputs.end();
}

void AVCaptureSession::addOutput(const AVCaptureOutputPtr& output)
{
    if (!canAddOutput(output))
        return;
    bool running;
    {
        std::lock_guard lock(m_mutex);
        m_outputs.push_back(output);
        running = m_running;
    }
    connectOutputs();
    output->setSessionRunning(running);
}

void AVCaptureSession::removeOutput(const AVCaptureOutputPtr& output)
{
    {
        std::lock_guard lock(m_mutex);
        std::erase(m_outputs, output);
    }
    if (output) {
        output->setConnection(nullptr);
        output->setSessionRunning(false);
    }
}

std::vector<AVCaptureOutputPtr> AVCaptureSession::outputs() const
{
    std::lock_guard lock(m_mutex);
    return m_outputs;
}

// Every output carries the media of every input: one connection each, remade on every change.
void AVCaptureSession::connectOutputs()
{
    std::lock_guard lock(m_mutex);
    for (const auto& output : m_outputs) {
        if (m_inputs.empty()) {
            output->setConnection(nullptr);
            continue;
        }
        auto connection = std::make_shared<AVCaptureConnection>();
        for (const auto& input : m_inputs)
            connection->inputPortMediaTypes.push_back(input->mediaType());
        output->setConnection(std::move(connection));
    }
}

void AVCaptureSession::startRunning()
{
    std::shared_ptr<FrameSource> source;
    std::vector<AVCaptureOutputPtr> outputs;
    {
        std::lock_guard lock(m_mutex);
        if (m_running)
            return;
        m_running = true;
        outputs = m_outputs;
        if (!m_inputs.empty() && m_inputs.front()->device())
            source = m_inputs.front()->device()->frameSource();
    }
    for (const auto& output : outputs)
        output->setSessionRunning(true);
    if (!source)
        return;
    joinThread();
    m_thread = RunningCaptures::shared().start(weak_from_this(), source->frameInterval(),
                                               [this, source] { captureOneFrame(*source); });
}

void AVCaptureSession::stopRunning()
{
    std::vector<AVCaptureOutputPtr> outputs;
    {
        std::lock_guard lock(m_mutex);
        if (!m_running)
            return;
        m_running = false;
        outputs = m_outputs;
    }
    joinThread();
    for (const auto& output : outputs)
        output->setSessionRunning(false);
}

void AVCaptureSession::joinThread()
{
    auto thread = std::exchange(m_thread, nullptr);
    if (!thread)
        return;
    // Outputs hand the delegates they call on the capture thread back to the main run loop to be
    // let go, so the last owner of a session never drops it on the capture thread itself.
    thread->stop();
    RunningCaptures::shared().forget(thread);
}

bool AVCaptureSession::isRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_running;
}

UIImagePtr AVCaptureSession::currentFrame() const
{
    std::lock_guard lock(m_mutex);
    return m_currentFrame;
}

void AVCaptureSession::addFrameObserver(const std::weak_ptr<UIView>& view)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_frameObservers, [](const auto& observer) { return observer.expired(); });
    m_frameObservers.push_back(view);
}

void AVCaptureSession::captureOneFrame(FrameSource& source)
{
    if (!AVCaptureDevice::grantsFrames(AVCaptureDevice::authorizationStatusForMediaType(AVMediaTypeVideo)))
        return;
    auto frame = source.nextFrame();
    if (!frame)
        return;
    std::vector<AVCaptureOutputPtr> outputs;
    std::vector<std::weak_ptr<UIView>> observers;
    {
        std::lock_guard lock(m_mutex);
        m_currentFrame = frame;
        outputs = m_outputs;
        observers = m_frameObservers;
    }
    for (const auto& output : outputs)
        output->captureFrame(frame);
    if (!observers.empty()) {
        RunLoop::main().post([observers] {
            for (const auto& observer : observers) {
                if (auto view = observer.lock())
                    view->setNeedsDisplay();
            }
        });
    }
}
