#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace lumivex {

class LumivexUpdateController;
class ThumbnailSpinner;

// The panel through which the user sees and steers update checks: the running version, the
// status of the last or running check, the automatic-check switch with the time of the last
// successful check, and the buttons to look for a new release and open its page. It keeps nothing
// of its own: everything follows the controller's signals. The update window's content and the
// settings window's update page. Main thread.
class LumivexUpdateView final : public QWidget {
    Q_OBJECT

public:
    // `updates` must outlive the view.
    explicit LumivexUpdateView(LumivexUpdateController& updates, QWidget* parent = nullptr);

    QLabel* statusLabel() const { return status_; }
    ThumbnailSpinner* spinner() const { return spinner_; }
    QCheckBox* automaticChecks() const { return automatic_; }
    QLabel* lastCheckedLabel() const { return lastChecked_; }
    QPushButton* releasesButton() const { return releases_; }
    QPushButton* actionButton() const { return action_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeStatusRow();
    QWidget* makeAutomaticChecks();
    QWidget* makeButtons();
    void sync();
    void actionPressed();

    LumivexUpdateController& updates_;
    ThumbnailSpinner* spinner_ = nullptr;
    QLabel* status_ = nullptr;
    QCheckBox* automatic_ = nullptr;
    QLabel* lastChecked_ = nullptr;
    QPushButton* releases_ = nullptr;
    QPushButton* action_ = nullptr;
};

}  // namespace lumivex
