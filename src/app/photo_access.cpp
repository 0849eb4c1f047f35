#include "app/photo_access.h"

#include "media/xdg_photo_library.h"
#include "media_views/lumivex_photo_access_guide.h"
#include "media_views/photo_consent_dialog.h"

namespace lumivex {

PhotoAccess::PhotoAccess(XdgPhotoLibrary& photos, QWidget* window)
    : photos_(photos),
      consent_(std::make_unique<PhotoConsentDialog>(window)),
      guide_(std::make_unique<LumivexPhotoAccessGuide>(
          *consent_, [&photos](PhotoConsentAnswer answer) { photos.recordConsent(answer); })) {
    photos_.setConsentPrompt(consent_.get());
    guide_->setLibrary(&photos_);
}

PhotoAccess::~PhotoAccess() {
    // The library outlives the dialog; it must not ask a question nobody can show.
    photos_.setConsentPrompt(nullptr);
}

}  // namespace lumivex
