#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>

class QLabel;
class QVBoxLayout;

namespace lumivex {

class LumivexSettings;
class UserDefaults;

// The shortcut help panel: the keys of the list, the preview and the video player in three
// sections. The video skip row states the interval the player really uses and follows the
// setting while the panel is open. Fixed at 560 by 620; what does not fit scrolls under the
// header. Main thread.
class ShortcutHelpView final : public QWidget {
public:
    // `defaults` must outlive the view.
    ShortcutHelpView(UserDefaults& defaults, std::function<void()> onClose,
                     QWidget* parent = nullptr);

    // The skip row's title for a stored interval ("30초 뒤로 / 앞으로"; 5 outside 1 to 3600).
    static QString skipTitle(std::int64_t storedSeconds);
    QString skipRowTitle() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* section(QVBoxLayout* sections, const QString& title, const QString& symbol);
    QLabel* row(QVBoxLayout* rows, const QString& title, const QString& detail,
                const QStringList& keys);
    void refreshSkipRow();

    LumivexSettings* settings_;
    QLabel* skipRow_ = nullptr;
};

}  // namespace lumivex
