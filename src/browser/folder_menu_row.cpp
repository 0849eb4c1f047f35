#include "browser/folder_menu_row.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"

#include <QPainter>
#include <QPainterPath>

namespace lumivex {

FolderMenuRow::FolderMenuRow(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void FolderMenuRow::setMenuHighlighted(bool value) {
    if (menuHighlighted_ != value) {
        menuHighlighted_ = value;
        update();
    }
}

QRectF FolderMenuRow::iconRect() const {
    return {16.0 * indentation_ + 10, 9, 13, 13};
}

QRectF FolderMenuRow::titleRect() const {
    const double offset = 16.0 * indentation_;
    return {offset + 31, 7, width() - 77 - offset, 17};
}

QRectF FolderMenuRow::checkMarkRect() const {
    return {width() - 40.0, 9, 13, 13};
}

QRectF FolderMenuRow::chevronRect() const {
    return {width() - 21.0, 9, 13, 13};
}

QRectF FolderMenuRow::highlightRect() const {
    return QRectF(rect()).adjusted(2, 1, -2, -1);
}

void FolderMenuRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (menuHighlighted_) {
        QPainterPath path;
        path.addRoundedRect(highlightRect(), 5, 5);
        painter.fillPath(path, BrowserPalette::mint(0.14));
    }
    BrowserIcons::paint(painter, symbol_, iconRect(), BrowserPalette::mint());
    const bool plain = indentation_ == 0;
    painter.setFont(BrowserFonts::system(plain ? 12 : 11));
    painter.setPen(plain || checkMark_ ? BrowserPalette::primaryText()
                                       : BrowserPalette::secondaryText());
    const QRectF title = titleRect();
    const QString shown =
        painter.fontMetrics().elidedText(text(), Qt::ElideMiddle, static_cast<int>(title.width()));
    painter.drawText(title, Qt::AlignLeft | Qt::AlignVCenter, shown);
    if (checkMark_) {
        BrowserIcons::paint(painter, QStringLiteral("checkmark"), checkMarkRect(),
                            BrowserPalette::mint());
    }
    if (hasChildren_) {
        BrowserIcons::paint(painter, QStringLiteral("chevron.right"), chevronRect(),
                            BrowserPalette::secondaryText());
    }
}

void FolderMenuRow::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    Q_EMIT entered();
}

}  // namespace lumivex
