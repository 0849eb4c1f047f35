#pragma once

#include "platform/photo_library.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace lumivex {

class LumivexPhotoAccessGuide;

// The settings window's "권한" page: the photo library access in words, a request when it was
// never asked, the way to the access question, a folder library as the way that needs no
// permission, and what the application keeps. Asking here only asks; it connects nothing. The
// status is read again when the page is shown, when the application becomes active and when an
// answer is given through the guide. Main thread.
class LumivexAccessSettingsView final : public QWidget {
public:
    // `chooseLibrary` lets the user pick a folder and opens it as the library (the store's).
    LumivexAccessSettingsView(PhotoLibrary& photos, LumivexPhotoAccessGuide& guide,
                              std::function<void()> chooseLibrary, QWidget* parent = nullptr);

    static QString statusText(PhotoAuthorizationStatus status);

    PhotoAuthorizationStatus authorization() const { return authorization_; }
    bool isRequesting() const { return requesting_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* librarySection();
    QWidget* foldersSection();
    QWidget* recordsSection();
    void readStatus();
    void request();
    void refresh();

    PhotoLibrary& photos_;
    LumivexPhotoAccessGuide& guide_;
    std::function<void()> chooseLibrary_;
    PhotoAuthorizationStatus authorization_;
    bool requesting_ = false;
    QLabel* status_ = nullptr;
    QPushButton* requestButton_ = nullptr;
    QLabel* restrictedNote_ = nullptr;
};

}  // namespace lumivex
