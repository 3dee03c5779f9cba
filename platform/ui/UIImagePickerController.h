#pragma once

#include "platform/graphics/UIImage.h"
#include "platform/ui/UIViewController.h"

#include <map>
#include <memory>
#include <string>

class UIImagePickerController;

enum class UIImagePickerControllerSourceType : int { PhotoLibrary = 0, Camera = 1, SavedPhotosAlbum = 2 };
inline const std::string UIImagePickerControllerOriginalImage = "UIImagePickerControllerOriginalImage";
inline const std::string UIImagePickerControllerEditedImage = "UIImagePickerControllerEditedImage";

// Hears what the user chose in a picker; both methods are optional.
class UIImagePickerControllerDelegate {
public:
    virtual ~UIImagePickerControllerDelegate() = default;
    virtual void imagePickerControllerDidFinishPickingMediaWithInfo(UIImagePickerController&,
                                                                  const std::map<std::string, UIImagePtr>&)
    {
    }
    virtual void imagePickerControllerDidCancel(UIImagePickerController&) {}
};

// The screen on which the user picks a picture. The program keeps no photo library: what the
// user picks comes from tests (and the demo) through pickImage and cancel. The delegate is not
// owned; the picker does not close itself, its presenter dismisses it.
class UIImagePickerController : public UIViewController {
public:
    UIImagePickerControllerSourceType sourceType = UIImagePickerControllerSourceType::PhotoLibrary;
    bool allowsEditing = false;
    std::weak_ptr<UIImagePickerControllerDelegate> delegate;

    // The user chose a picture; with editing allowed it also stands as the edited picture.
    void pickImage(const UIImagePtr& image);
    void cancel();
};
