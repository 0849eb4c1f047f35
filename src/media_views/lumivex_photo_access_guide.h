#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class QLabel;
class QWidget;

namespace lumivex {

class PhotoConsentPrompt;
class PhotoLibrary;
enum class PhotoConsentAnswer;

// Leads the user to the photo access setting: opens the in-app access question (this system has
// no privacy settings of its own for it) and shows a small floating panel with three short steps
// at the top right of the screen. One per application, made at start-up and handed to the views
// that offer "사진 접근 설정 열기". Main thread.
class LumivexPhotoAccessGuide final : public QObject {
    Q_OBJECT

public:
    using RecordConsent = std::function<void(PhotoConsentAnswer)>;

    static constexpr int placementDelayMilliseconds = 200;
    static constexpr int screenInset = 20;

    // `settings` asks the access question; `record` keeps the answer given there. Both must
    // outlive the guide.
    LumivexPhotoAccessGuide(PhotoConsentPrompt& settings, RecordConsent record,
                            QObject* parent = nullptr);
    ~LumivexPhotoAccessGuide() override;

    // The library whose status the guide reads before it asks: while its folders are missing the
    // panel names them and the access question is not asked. Must outlive the guide.
    void setLibrary(const PhotoLibrary* photos) { photos_ = photos; }

    // Hides the panel, opens the access question and shows the panel again a moment later.
    // Each call restarts the placement; a placement it replaces never shows the panel.
    void show();

    // The panel once made; it is kept and reused after it is closed.
    QWidget* panel() const { return panel_.get(); }
    bool isPlacing() const { return placement_.isActive(); }

Q_SIGNALS:
    // An answer was given in the access question; the views read the status again.
    void accessChanged();

private:
    void makePanel();
    QWidget* headingRow();
    bool foldersMissing() const;
    void place();

    PhotoConsentPrompt& settings_;
    RecordConsent record_;
    const PhotoLibrary* photos_ = nullptr;
    std::unique_ptr<QWidget> panel_;
    QLabel* symbol_ = nullptr;
    QLabel* heading_ = nullptr;
    QLabel* steps_ = nullptr;
    QLabel* hint_ = nullptr;
    QTimer placement_;
};

}  // namespace lumivex
