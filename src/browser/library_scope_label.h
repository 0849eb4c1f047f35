#pragma once

#include <QWidget>

namespace lumivex {

class LumivexStore;

// One line naming the open library and its folder scope, after the library's symbol ("icloud"
// for the photo library, "folder" for a folder), in the secondary colour, shortened in the middle
// when it does not fit; its tooltip is the library's place. Empty and hidden while no library is
// open. Reads the store when told to refresh. Main thread.
class LibraryScopeLabel final : public QWidget {
    Q_OBJECT

public:
    explicit LibraryScopeLabel(LumivexStore& store, QWidget* parent = nullptr);

    void refresh();
    QString text() const { return text_; }
    QString symbol() const { return symbol_; }
    // The text as drawn at the label's width: shortened in the middle only when it does not fit.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LumivexStore& store_;
    QString text_;
    QString symbol_;
};

}  // namespace lumivex
