#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QTabWidget;

namespace lumivex {

class DiscreteSettingsSlider;
class LumivexPhotoAccessGuide;
class LumivexSettings;
class PhotoLibrary;
class ResolutionSlider;
class UserDefaults;
class VideoSkipSecondsControl;

// The settings window "Dovrin 설정", 540 by 660, a dialog that Escape closes: the general settings
// (skip interval, thumbnail resolutions, card size; the photo library's files are all on this
// computer, so there are no list downloads to allow), the photo-access page of the media layer, and
// the update page the application adds. Every control writes its setting at once and follows
// changes made elsewhere. Each time the window is shown an out-of-range skip interval becomes 5;
// one written while it is shown becomes the nearer bound. Main thread.
class LumivexSettingsView final : public QWidget {
public:
    // Everything given must outlive the window; `chooseLibrary` opens a folder as the library.
    LumivexSettingsView(UserDefaults& defaults, PhotoLibrary& photos,
                        LumivexPhotoAccessGuide& guide, std::function<void()> chooseLibrary,
                        QWidget* parent = nullptr);

    // The update page, as the third tab "업데이트".
    void addUpdatePage(QWidget* page);

    QTabWidget* tabs() const { return tabs_; }
    VideoSkipSecondsControl* skipControl() const { return skip_; }
    ResolutionSlider* photosResolution() const { return photosPixels_; }
    ResolutionSlider* folderResolution() const { return folderPixels_; }
    DiscreteSettingsSlider* cardSlider() const { return cardSlider_; }
    QString cardSizeText() const;
    // Writes the five defaults: 360, 360, downloads allowed, 210, 5.
    void restoreDefaults();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* generalPage();
    QWidget* playbackSection(QWidget* parent);
    QWidget* resolutionSection(QWidget* parent);
    QWidget* screenSection(QWidget* parent);
    QWidget* lastRow(QWidget* parent);
    void skipSecondsChanged();
    void refresh();

    LumivexSettings* settings_;
    QTabWidget* tabs_;
    VideoSkipSecondsControl* skip_ = nullptr;
    ResolutionSlider* photosPixels_ = nullptr;
    ResolutionSlider* folderPixels_ = nullptr;
    QLabel* cardSize_ = nullptr;
    DiscreteSettingsSlider* cardSlider_ = nullptr;
};

}  // namespace lumivex
