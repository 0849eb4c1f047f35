#pragma once

#include <QFuture>

namespace lumivex {

// The user's choice in the photo-library consent question.
enum class PhotoConsentAnswer { allowAll, picturesOnly, refuse };

// Asks the user whether the application may use the photo library. Implemented by the view
// layer; called on the main thread, it returns at once and the answer comes later.
class PhotoConsentPrompt {
public:
    virtual ~PhotoConsentPrompt() = default;

    // The future holds the answer, or is cancelled when the question was dismissed unanswered.
    virtual QFuture<PhotoConsentAnswer> ask() = 0;
};

}  // namespace lumivex
