#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QDialog;
class QWidget;

namespace lumivex {

// One sheet of the main window: a window-modal dialog that is up exactly while `shown` holds,
// holding the view the content factory makes (nothing without one), or being the dialog the
// dialog factory makes. Closing the dialog in any way calls `dismissed`, which resets what
// `shown` reads. `sync` follows `shown`. Main thread.
class SheetSlot : public QObject {
    Q_OBJECT

public:
    SheetSlot(QWidget* window, std::function<bool()> shown, std::function<void()> dismissed);

    // Makes the sheet's view each time the sheet opens; `close` ends the sheet.
    using ContentFactory = std::function<QWidget*(std::function<void()> close)>;
    void setContentFactory(ContentFactory factory) { factory_ = std::move(factory); }
    // For a view that is a dialog itself: makes it, owned by `window`, each time the sheet opens.
    // It takes the place of the content factory.
    using DialogFactory = std::function<QDialog*(QWidget* window)>;
    void setDialogFactory(DialogFactory factory) { dialogFactory_ = std::move(factory); }

    void sync();
    QDialog* dialog() const { return dialog_; }

    // Opens `dialog` as every sheet of the main window opens: window-modal, without a frame.
    static void present(QDialog& dialog);

private:
    void open();
    QDialog* plainDialog();

    QWidget* window_;
    std::function<bool()> shown_;
    std::function<void()> dismissed_;
    ContentFactory factory_;
    DialogFactory dialogFactory_;
    QPointer<QDialog> dialog_;
};

}  // namespace lumivex
