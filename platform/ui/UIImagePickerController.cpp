#include "platform/ui/UIImagePickerController.h"

void UIImagePickerController::pickImage(const UIImagePtr& image)
{
    std::map<std::string, UIImagePtr> info {{UIImagePickerControllerOriginalImage, image}};
    if (allowsEditing)
        info[UIImagePickerControllerEditedImage] = image;
    auto self = shared_from_this();
    if (auto receiver = delegate.lock())
        receiver->imagePickerControllerDidFinishPickingMediaWithInfo(*this, info);
}

void UIImagePickerController::cancel()
{
    auto self = shared_from_this();
    if (auto receiver = delegate.lock())
        receiver->imagePickerControllerDidCancel(*this);
}
