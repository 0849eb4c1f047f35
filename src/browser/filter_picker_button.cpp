#include "browser/filter_picker_button.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"

#include <QPainter>
#include <QPainterPath>

namespace lumivex {

namespace {

constexpr int symbolSize = 13;
constexpr int chevronSize = 9;

}  // namespace

FilterMenuButton::FilterMenuButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setFont(BrowserFonts::system(11));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    controller_.setAnchor(this);
    connect(this, &QAbstractButton::clicked, &controller_, &FolderMenuController::toggle);
}

FilterMenuButton::~FilterMenuButton() {
    controller_.close();
    controller_.setAnchor(nullptr);
}

void FilterMenuButton::setLook(const QString& title, const QString& symbol, bool active,
                               const QString& help) {
    const bool resized = title != text();
    // Every commit sets the look again: a button that looks the same is not painted again.
    const bool changed = resized || symbol != symbol_ || active != active_;
    setText(title);
    setAccessibleName(title);
    setToolTip(help);
    symbol_ = symbol;
    active_ = active;
    if (resized) {
        updateGeometry();
    }
    if (changed) {
        update();
    }
}

QSize FilterMenuButton::sizeHint() const {
    const int textWidth = fontMetrics().horizontalAdvance(text());
    return {11 + symbolSize + 5 + textWidth + 5 + chevronSize + 11, 7 + 16 + 7};
}

void FilterMenuButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath capsule;
    capsule.addRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);
    if (active_) {
        painter.fillPath(capsule, BrowserPalette::mint(0.1));
    } else if (underMouse()) {
        painter.fillPath(capsule, BrowserPalette::white(0.06));
    }
    const QColor accent = BrowserPalette::mint();
    const double middle = height() / 2.0;
    BrowserIcons::paint(painter, symbol_,
                        QRectF(11, middle - symbolSize / 2.0, symbolSize, symbolSize), accent);
    painter.setPen(accent);
    painter.setFont(font());
    const int textLeft = 11 + symbolSize + 5;
    const int textWidth = fontMetrics().horizontalAdvance(text());
    painter.drawText(QRectF(textLeft, 0, textWidth + 1, height()), Qt::AlignVCenter, text());
    BrowserIcons::paint(
        painter, QStringLiteral("chevron.down"),
        QRectF(textLeft + textWidth + 5, middle - chevronSize / 2.0, chevronSize, chevronSize),
        accent);
}

void FilterMenuButton::hideEvent(QHideEvent* event) {
    controller_.close();
    QAbstractButton::hideEvent(event);
}

void FolderFilterPicker::setContents(const std::vector<FolderFilterNode>& nodes,
                                     const std::optional<QString>& selection,
                                     FolderMenuController::Select onSelect) {
    QString title = QStringLiteral("폴더 필터");
    QString help = QStringLiteral("폴더별로 필터링");
    if (selection && selection->isEmpty()) {
        title = QStringLiteral("선택한 폴더만");
        help = QStringLiteral("선택한 폴더의 항목만 표시");
    } else if (selection) {
        title = selection->section(QLatin1Char('/'), -1);
        help = *selection + QStringLiteral(" 및 모든 하위폴더 표시");
    }
    setLook(title, QStringLiteral("folder"), selection.has_value(), help);
    controller().configure(nodes, selection, std::move(onSelect));
}

void FlatFilterPicker::setContents(const QString& title, const QString& symbol,
                                   const QList<FilterMenuOption>& options,
                                   const std::optional<QString>& selection,
                                   FolderMenuController::Select onSelect) {
    setLook(title, symbol, selection.has_value(), title + QStringLiteral(" 선택"));
    controller().configure(options, title, selection, std::move(onSelect));
}

}  // namespace lumivex
