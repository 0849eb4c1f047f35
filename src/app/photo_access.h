#pragma once

#include <memory>

class QWidget;

namespace lumivex {

class LumivexPhotoAccessGuide;
class PhotoConsentDialog;
class XdgPhotoLibrary;

// The photo library's access question and the one guide to it: the consent dialog, window-modal
// over the main window, is where the library asks (and where "사진 접근 설정 열기" leads), and
// every answer given there is kept by the library. Main thread.
class PhotoAccess final {
public:
    // `photos` and `window` must outlive this; `window` may be null (the question is then
    // application-modal).
    PhotoAccess(XdgPhotoLibrary& photos, QWidget* window);
    ~PhotoAccess();

    PhotoConsentDialog& consent() const { return *consent_; }
    LumivexPhotoAccessGuide& guide() const { return *guide_; }

private:
    XdgPhotoLibrary& photos_;
    std::unique_ptr<PhotoConsentDialog> consent_;
    std::unique_ptr<LumivexPhotoAccessGuide> guide_;
};

}  // namespace lumivex
