#pragma once

#include "image/ImageOperation.h"
#include "platform/ui/UIView.h"

#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

// The picture loads running for a view, one entry per kind of load, so that a new load of a
// kind cancels the one before it. Main thread only.
using ImageLoadOperationEntry = std::variant<std::shared_ptr<ImageOperation>, std::vector<std::shared_ptr<ImageOperation>>>;
using ImageLoadOperationDictionary = std::map<std::string, ImageLoadOperationEntry>;

ImageLoadOperationDictionary& operationDictionary(UIView& view);
// Cancels what runs under the key, then keeps the operation there.
void img_setImageLoadOperation(UIView& view, ImageLoadOperationEntry operation, const std::string& key);
// Cancels every operation under the key and forgets them.
void img_cancelImageLoadOperationWithKey(UIView& view, const std::string& key);
// Forgets the entry without cancelling it.
void img_removeImageLoadOperationWithKey(UIView& view, const std::string& key);
