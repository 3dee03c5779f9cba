#pragma once

// Anything a picture load hands back so that it can be stopped.
class ImageOperation {
public:
    virtual ~ImageOperation() = default;
    // After it returns, the load calls none of its caller's blocks again.
    virtual void cancel() = 0;
};
