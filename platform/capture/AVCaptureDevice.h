#pragma once

#include "platform/capture/AVMediaType.h"
#include "platform/capture/FrameSource.h"

#include <cstdint>
#include <memory>
#include <set>
#include <stdexcept>
#include <vector>

enum class AVAuthorizationStatus : int { NotDetermined = 0, Restricted = 1, Denied = 2, Authorized = 3 };
enum class AVCaptureDevicePosition : int { Unspecified = 0, Back = 1, Front = 2 };
enum class AVCaptureTorchMode : int { Off = 0, On = 1, Auto = 2 };
enum class AVCaptureFocusMode : int { Locked = 0, AutoFocus = 1, ContinuousAutoFocus = 2 };

// Raised, as the platform raises, for a device change made without the configuration lock or to
// a mode the device does not have.
class AVCaptureDeviceConfigurationException : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// A camera: a frame source with a position, an optional torch and the focus modes it has.
// The devices are the program's to install (none by default, as on a machine without a camera).
class AVCaptureDevice {
public:
    struct Features {
        AVCaptureDevicePosition position = AVCaptureDevicePosition::Back;
        bool hasTorch = true;
        bool hasFlash = true;
        bool focusPointOfInterestSupported = true;
        std::set<AVCaptureFocusMode> focusModes {AVCaptureFocusMode::Locked, AVCaptureFocusMode::AutoFocus,
                                                 AVCaptureFocusMode::ContinuousAutoFocus};
    };

    AVCaptureDevice(std::shared_ptr<FrameSource> source, Features features);
    static std::shared_ptr<AVCaptureDevice> create(std::shared_ptr<FrameSource> source) { return create(std::move(source), Features {}); }
    static std::shared_ptr<AVCaptureDevice> create(std::shared_ptr<FrameSource> source, Features features);

    // The installed devices; the first is the default one.
    static std::shared_ptr<AVCaptureDevice> defaultDeviceWithMediaType(const AVMediaType& type);
    static std::vector<std::shared_ptr<AVCaptureDevice>> devicesWithMediaType(const AVMediaType& type);
    static void setDevices(std::vector<std::shared_ptr<AVCaptureDevice>> devices);

    // What the user allowed; denied and restricted cameras give no input and so no frames.
    static AVAuthorizationStatus authorizationStatusForMediaType(const AVMediaType& type);
    static void setAuthorizationStatus(AVAuthorizationStatus status);
    static bool grantsFrames(AVAuthorizationStatus status);

    const std::shared_ptr<FrameSource>& frameSource() const { return m_source; }
    AVCaptureDevicePosition position() const { return m_features.position; }
    bool hasTorch() const { return m_features.hasTorch; }
    bool hasFlash() const { return m_features.hasFlash; }
    bool isFocusPointOfInterestSupported() const { return m_features.focusPointOfInterestSupported; }
    bool isFocusModeSupported(AVCaptureFocusMode mode) const { return m_features.focusModes.count(mode) > 0; }

    // Changes need the lock; they throw without it, or for a mode the device lacks.
    bool lockForConfiguration();
    void unlockForConfiguration();
    AVCaptureTorchMode torchMode() const { return m_torchMode; }
    void setTorchMode(AVCaptureTorchMode mode);
    AVCaptureFocusMode focusMode() const { return m_focusMode; }
    void setFocusMode(AVCaptureFocusMode mode);

private:
    void requireLock(const char* what) const;

    std::shared_ptr<FrameSource> m_source;
    Features m_features;
    bool m_locked = false;
    AVCaptureTorchMode m_torchMode = AVCaptureTorchMode::Off;
    AVCaptureFocusMode m_focusMode = AVCaptureFocusMode::Locked;
};

using AVCaptureDevicePtr = std::shared_ptr<AVCaptureDevice>;
