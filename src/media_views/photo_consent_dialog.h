#pragma once

#include "platform/photo_consent_prompt.h"

#include <QDialog>
#include <QPromise>

#include <memory>

class QPushButton;

namespace lumivex {

// The in-app question that grants the photo library: all of it (the Pictures and Videos folders),
// the pictures only, or nothing. It stands where another system would show its own permission
// prompt and its privacy settings. Window-modal to its parent when it has one. Main thread.
class PhotoConsentDialog final : public QDialog, public PhotoConsentPrompt {
public:
    explicit PhotoConsentDialog(QWidget* parent = nullptr);
    ~PhotoConsentDialog() override;

    // Opens the dialog, or joins the question already open. The future holds the answer, or is
    // cancelled when the dialog is closed without one.
    QFuture<PhotoConsentAnswer> ask() override;

    QPushButton* button(PhotoConsentAnswer answer) const;

    void reject() override;

private:
    void answer(PhotoConsentAnswer answer);

    std::unique_ptr<QPromise<PhotoConsentAnswer>> pending_;
    QPushButton* allowAll_;
    QPushButton* picturesOnly_;
    QPushButton* refuse_;
};

}  // namespace lumivex
