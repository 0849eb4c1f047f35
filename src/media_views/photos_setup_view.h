#pragma once

#include "platform/photo_library.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

namespace lumivex {

class LumivexPhotoAccessGuide;
class LumivexStore;

// The sheet that offers the photo library as the library's source: two steps that explain it,
// what the current access allows, and "나중에" beside the main button, which connects through the
// store or, when access was refused, leads to the access question. It never asks for access
// itself (connecting does) and only reads the status: when shown, when the application becomes
// active, when the store starts or stops connecting and after an answer through the guide. It
// closes when the store stops asking for it. Main thread.
class PhotosSetupView final : public QDialog {
public:
    // `openPhotosFolder` shows the photo library's folder in the file manager.
    PhotosSetupView(LumivexStore& store, PhotoLibrary& photos, LumivexPhotoAccessGuide& guide,
                    std::function<void()> openPhotosFolder, QWidget* parent = nullptr);

    PhotoAuthorizationStatus authorization() const { return authorization_; }
    // The main button of the row: connect, or open the access settings when access was refused.
    QPushButton* mainButton() const;

    // Escape and "나중에": the store stops asking for the sheet.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* header();
    QWidget* stepsPanel();
    QWidget* buttonRow();
    void readStatus();
    void refresh();
    void closeWhenDone();

    LumivexStore& store_;
    PhotoLibrary& photos_;
    LumivexPhotoAccessGuide& guide_;
    std::function<void()> openPhotosFolder_;
    PhotoAuthorizationStatus authorization_;
    QLabel* note_ = nullptr;
    QPushButton* limitedSettings_ = nullptr;
    QPushButton* connect_ = nullptr;
    QPushButton* deniedSettings_ = nullptr;
};

}  // namespace lumivex
