#include "platform/foundation/NSError.h"

std::shared_ptr<const NSError> NSError::make(std::string domain, int code, std::string description,
                                             std::string failingURL)
{
    return std::make_shared<const NSError>(
        NSError {std::move(domain), code, std::move(description), std::move(failingURL)});
}
