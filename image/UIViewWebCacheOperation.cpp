#include "image/UIViewWebCacheOperation.h"

namespace {
const char operationsKey = 0;
} // namespace

ImageLoadOperationDictionary& operationDictionary(UIView& view)
{
    return view.associatedObjectOfType<ImageLoadOperationDictionary>(&operationsKey);
}

void img_setImageLoadOperation(UIView& view, ImageLoadOperationEntry operation, const std::string& key)
{
    img_cancelImageLoadOperationWithKey(view, key);
    operationDictionary(view)[key] = std::move(operation);
}

void img_cancelImageLoadOperationWithKey(UIView& view, const std::string& key)
{
    auto& operations = operationDictionary(view);
    const auto it = operations.find(key);
    if (it == operations.end())
        return;
    // Taken out first: a cancel may start another load on this view.
    const ImageLoadOperationEntry entry = std::move(it->second);
    operations.erase(it);
    if (const auto* one = std::get_if<std::shared_ptr<ImageOperation>>(&entry)) {
        if (*one)
            (*one)->cancel();
    } else {
        for (const auto& operation : std::get<std::vector<std::shared_ptr<ImageOperation>>>(entry)) {
            if (operation)
                operation->cancel();
        }
    }
}

void img_removeImageLoadOperationWithKey(UIView& view, const std::string& key)
{
    operationDictionary(view).erase(key);
}
