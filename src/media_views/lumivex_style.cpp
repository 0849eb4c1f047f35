#include "media_views/lumivex_style.h"

#include "media_views/view_style.h"
#include "platform/app_brand.h"
#include "store/lumivex_theme.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabBar>
#include <QToolTip>

#include <algorithm>

namespace lumivex {

namespace {

constexpr int scrollBarExtent = 10;
constexpr int scrollBarSliderMinimum = 28;
constexpr double buttonRadius = 6.0;
constexpr int buttonExtraWidth = 8;
constexpr int buttonMinimumHeight = 28;
// The least width of an alert's text, so that a message reads in a few long lines.
constexpr int alertTextWidth = 380;
constexpr char prominentProperty[] = "lumivexProminent";

QColor withAlpha(QColor colour, double alpha) {
    colour.setAlphaF(static_cast<float>(colour.alphaF() * alpha));
    return colour;
}

QColor white(double alpha) {
    return withAlpha(QColor(255, 255, 255), alpha);
}

QColor critical() {
    return QColor::fromRgb(255, 105, 97);
}

// The handle of a scroll bar: dim at rest, brighter under the mouse and while dragged.
QColor scrollHandleColour(const QStyleOptionComplex& option) {
    const QColor base = option.palette.color(QPalette::WindowText);
    if (!(option.state & QStyle::State_Enabled)) {
        return withAlpha(base, 0.1);
    }
    const bool onHandle = option.activeSubControls & QStyle::SC_ScrollBarSlider;
    if (onHandle && (option.state & QStyle::State_Sunken)) {
        return withAlpha(base, 0.55);
    }
    if (option.state & QStyle::State_MouseOver) {
        return withAlpha(base, onHandle ? 0.45 : 0.32);
    }
    return withAlpha(base, 0.22);
}

// An untitled window would show the process's name in its title bar.
void polishWindow(QWidget& window) {
    const Qt::WindowType type = window.windowType();
    const bool titled =
        type == Qt::Window || type == Qt::Dialog || type == Qt::Sheet || type == Qt::Tool;
    if (titled && window.windowTitle().isEmpty()) {
        window.setWindowTitle(AppBrand::name());
    }
}

// Qt makes an alert as wide as its title line, wrapping the message into a narrow column.
void polishAlert(QMessageBox& alert) {
    if (auto* title = alert.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        title->setMinimumWidth(alertTextWidth);
    }
}

QRectF buttonShape(const QRect& rect) {
    return QRectF(rect).adjusted(1.5, 1.5, -1.5, -1.5);
}

}  // namespace

LumivexStyle::LumivexStyle(SymbolPainter symbols)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), symbols_(std::move(symbols)) {}

void LumivexStyle::install(SymbolPainter symbols) {
    auto* style = new LumivexStyle(std::move(symbols));
    QApplication::setStyle(style);
    QApplication::setPalette(style->standardPalette());
    // Tooltips keep a palette of their own, the platform's light one, apart from the application's.
    QToolTip::setPalette(style->standardPalette());
}

QIcon LumivexStyle::symbolIcon(const QString& name, const QColor& colour) {
    const auto* style = qobject_cast<const LumivexStyle*>(QApplication::style());
    return style != nullptr && style->symbols_ ? style->alertIcon(name, colour) : QIcon();
}

QPalette LumivexStyle::applicationPalette() {
    const QColor canvas = LumivexTheme::canvas();
    const QColor panel = LumivexTheme::panel();
    const QColor accent = LumivexTheme::accent();
    const QColor primary = white(0.88);
    const QColor tertiary = white(0.3);
    QPalette palette;
    palette.setColor(QPalette::Window, canvas);
    palette.setColor(QPalette::WindowText, primary);
    palette.setColor(QPalette::Base, panel);
    palette.setColor(QPalette::AlternateBase, canvas);
    palette.setColor(QPalette::ToolTipBase, panel);
    palette.setColor(QPalette::ToolTipText, primary);
    palette.setColor(QPalette::PlaceholderText, tertiary);
    palette.setColor(QPalette::Text, primary);
    palette.setColor(QPalette::Button, panel.lighter(125));
    palette.setColor(QPalette::ButtonText, primary);
    palette.setColor(QPalette::BrightText, accent);
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, canvas);
    palette.setColor(QPalette::Link, accent);
    palette.setColor(QPalette::Mid, white(0.1));
    palette.setColor(QPalette::Dark, canvas.darker(130));
    palette.setColor(QPalette::Light, panel.lighter(160));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, tertiary);
    }
    return palette;
}

void LumivexStyle::setProminent(QWidget* button, bool prominent) {
    button->setProperty(prominentProperty, prominent);
    button->update();
}

QPalette LumivexStyle::standardPalette() const {
    return applicationPalette();
}

void LumivexStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    if (widget->isWindow()) {
        polishWindow(*widget);
    }
    if (auto* alert = qobject_cast<QMessageBox*>(widget)) {
        polishAlert(*alert);
    }
    if (qobject_cast<QScrollBar*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
        qobject_cast<QTabBar*>(widget)) {
        widget->setAttribute(Qt::WA_Hover);
    }
}

void LumivexStyle::polish(QApplication* application) {
    QProxyStyle::polish(application);
    application->installEventFilter(this);
}

void LumivexStyle::unpolish(QApplication* application) {
    application->removeEventFilter(this);
    QProxyStyle::unpolish(application);
}

bool LumivexStyle::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            tabPressed_ = key == Qt::Key_Tab || key == Qt::Key_Backtab;
            break;
        }
        case QEvent::MouseButtonPress:
            tabPressed_ = false;
            break;
        case QEvent::FocusIn:
            if (watched->isWidgetType()) {
                focusEntered(static_cast<QWidget*>(watched),
                             static_cast<QFocusEvent*>(event)->reason());
            }
            break;
        default:
            break;
    }
    return QProxyStyle::eventFilter(watched, event);
}

// A window that becomes active also hands its first focus on "by Tab", so a Tab reason counts
// only when Tab was the last key pressed.
void LumivexStyle::focusEntered(QWidget* widget, Qt::FocusReason reason) {
    switch (reason) {
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
            keyboardFocus_ = tabPressed_ ? widget : nullptr;
            break;
        case Qt::ShortcutFocusReason:
            keyboardFocus_ = widget;
            break;
        case Qt::ActiveWindowFocusReason:
        case Qt::PopupFocusReason:
            // Coming back to a window keeps the ring where the keyboard left it.
            break;
        default:
            keyboardFocus_ = nullptr;
            break;
    }
}

bool LumivexStyle::focusFromKeyboard(const QWidget* widget) const {
    return widget && widget == keyboardFocus_ && widget->hasFocus();
}

int LumivexStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                              const QWidget* widget) const {
    switch (metric) {
        case PM_ScrollBarExtent:
            return scrollBarExtent;
        case PM_ScrollBarSliderMin:
            return scrollBarSliderMinimum;
        case PM_ButtonDefaultIndicator:
        case PM_ButtonShiftHorizontal:
        case PM_ButtonShiftVertical:
            return 0;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int LumivexStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                            QStyleHintReturn* returnData) const {
    switch (hint) {
        case SH_ScrollBar_ContextMenu:
        case SH_DialogButtonBox_ButtonsHaveIcons:
            return 0;
        case SH_ScrollBar_MiddleClickAbsolutePosition:
        case SH_ScrollBar_LeftClickAbsolutePosition:
            return 1;
        case SH_DialogButtonLayout:
            // Every alert as every sheet: "취소" first, the action last.
            return QDialogButtonBox::GnomeLayout;
        default:
            return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

// Push buttons get room around their text, as the rounded shape needs.
QSize LumivexStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                     const QSize& size, const QWidget* widget) const {
    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_PushButton) {
        result += QSize(buttonExtraWidth, 0);
        result.setHeight(std::max(result.height(), buttonMinimumHeight));
    }
    return result;
}

QRect LumivexStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                   SubControl sub, const QWidget* widget) const {
    if (control == CC_ScrollBar) {
        return scrollBarRect(option, sub);
    }
    return QProxyStyle::subControlRect(control, option, sub, widget);
}

// The whole bar is the groove: no arrow buttons, the handle sized by the visible share.
QRect LumivexStyle::scrollBarRect(const QStyleOptionComplex* option, SubControl sub) const {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (!bar) {
        return {};
    }
    const QRect rect = bar->rect;
    const bool horizontal = bar->orientation == Qt::Horizontal;
    const int length = horizontal ? rect.width() : rect.height();
    const qint64 range = qint64(bar->maximum) - bar->minimum;
    int handle = length;
    if (range > 0) {
        const qint64 share = qint64(length) * bar->pageStep / (range + bar->pageStep);
        handle = static_cast<int>(std::clamp<qint64>(share, scrollBarSliderMinimum, length));
    }
    const int start = sliderPositionFromValue(bar->minimum, bar->maximum, bar->sliderPosition,
                                              length - handle, bar->upsideDown);
    int from = 0;
    int size = 0;
    switch (sub) {
        case SC_ScrollBarGroove:
            return rect;
        case SC_ScrollBarSlider:
            from = start;
            size = handle;
            break;
        case SC_ScrollBarSubPage:
            size = start;
            break;
        case SC_ScrollBarAddPage:
            from = start + handle;
            size = length - from;
            break;
        default:
            return {};
    }
    const QRect part = horizontal ? QRect(rect.x() + from, rect.y(), size, rect.height())
                                  : QRect(rect.x(), rect.y() + from, rect.width(), size);
    return visualRect(bar->direction, rect, part);
}

void LumivexStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                      QPainter* painter, const QWidget* widget) const {
    if (control == CC_ScrollBar) {
        drawScrollBar(option, painter);
        return;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

void LumivexStyle::drawScrollBar(const QStyleOptionComplex* option, QPainter* painter) const {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (!bar || bar->maximum <= bar->minimum) {
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    const bool horizontal = bar->orientation == Qt::Horizontal;
    const auto inset = [horizontal](const QRect& rect) {
        return horizontal ? QRectF(rect).adjusted(2, 2.5, -2, -2.5)
                          : QRectF(rect).adjusted(2.5, 2, -2.5, -2);
    };
    if (bar->state & State_MouseOver) {
        const QRectF track = inset(bar->rect);
        const double radius = std::min(track.width(), track.height()) / 2;
        painter->setBrush(withAlpha(bar->palette.color(QPalette::WindowText), 0.06));
        painter->drawRoundedRect(track, radius, radius);
    }
    const QRectF handle = inset(scrollBarRect(option, SC_ScrollBarSlider));
    const double radius = std::min(handle.width(), handle.height()) / 2;
    painter->setBrush(scrollHandleColour(*option));
    painter->drawRoundedRect(handle, radius, radius);
    painter->restore();
}

bool LumivexStyle::accentButton(const QStyleOption* option, const QWidget* widget) const {
    if (widget && widget->property(prominentProperty).toBool()) {
        return true;
    }
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    return button && (button->features & QStyleOptionButton::DefaultButton);
}

void LumivexStyle::drawButtonPanel(const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const {
    const bool enabled = option->state & State_Enabled;
    const bool pressed = option->state & (State_Sunken | State_On);
    const bool hovered = enabled && (option->state & State_MouseOver);
    const bool accent = accentButton(option, widget);
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (button && (button->features & QStyleOptionButton::Flat) && !pressed && !hovered) {
        return;
    }
    QColor fill = option->palette.color(QPalette::Button);
    if (accent) {
        fill = option->palette.color(QPalette::Highlight);
    }
    if (pressed) {
        fill = fill.darker(112);
    } else if (hovered) {
        fill = fill.lighter(accent ? 108 : 118);
    }
    if (!enabled) {
        fill = withAlpha(fill, 0.45);
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF shape = buttonShape(option->rect);
    painter->setPen(accent ? Qt::NoPen : QPen(white(0.07), 1));
    painter->setBrush(fill);
    painter->drawRoundedRect(shape, buttonRadius, buttonRadius);
    if ((option->state & State_HasFocus) && focusFromKeyboard(widget)) {
        QColor ring = option->palette.color(QPalette::Highlight);
        if (accent) {
            ring = option->palette.color(QPalette::WindowText);
        }
        painter->setPen(QPen(withAlpha(ring, 0.85), 1.5));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(shape.adjusted(0.75, 0.75, -0.75, -0.75), buttonRadius - 0.75,
                                 buttonRadius - 0.75);
    }
    painter->restore();
}

void LumivexStyle::drawFocusRing(const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const {
    if (qobject_cast<const QPushButton*>(widget) || !focusFromKeyboard(widget)) {
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(withAlpha(option->palette.color(QPalette::Highlight), 0.85), 1.5));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(option->rect).adjusted(0.75, 0.75, -0.75, -0.75), 4, 4);
    painter->restore();
}

void LumivexStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    switch (element) {
        case PE_PanelButtonCommand:
            drawButtonPanel(option, painter, widget);
            return;
        case PE_FrameDefaultButton:
            return;
        case PE_FrameFocusRect:
            drawFocusRing(option, painter, widget);
            return;
        case PE_FrameTabWidget:
            drawTabFrame(option, painter);
            return;
        case PE_FrameTabBarBase:
            return;
        default:
            QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

// Tabs are pills: the chosen one filled with the button colour, the others bare until hovered.
void LumivexStyle::drawTab(const QStyleOption* option, QPainter* painter) const {
    const bool selected = option->state & State_Selected;
    const bool hovered = (option->state & State_MouseOver) && (option->state & State_Enabled);
    if (!selected && !hovered) {
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(selected ? option->palette.color(QPalette::Button) : white(0.05));
    painter->drawRoundedRect(QRectF(option->rect).adjusted(2, 3, -2, -3), buttonRadius,
                             buttonRadius);
    painter->restore();
}

void LumivexStyle::drawTabFrame(const QStyleOption* option, QPainter* painter) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(white(0.08), 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    painter->restore();
}

void LumivexStyle::drawControl(ControlElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
    if (element == CE_TabBarTabShape) {
        drawTab(option, painter);
        return;
    }
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (element == CE_PushButtonLabel && button && accentButton(option, widget)) {
        QStyleOptionButton accent = *button;
        QColor text = button->palette.color(QPalette::Active, QPalette::HighlightedText);
        if (!(button->state & State_Enabled)) {
            text = withAlpha(text, 0.6);
        }
        accent.palette.setColor(QPalette::ButtonText, text);
        QProxyStyle::drawControl(element, &accent, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

QIcon LumivexStyle::alertIcon(const QString& symbol, const QColor& colour) const {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 96}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        symbols_(painter, symbol, QRectF(0, 0, size, size), colour);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon LumivexStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                 const QWidget* widget) const {
    if (symbols_) {
        switch (icon) {
            case SP_MessageBoxWarning:
                return alertIcon(QStringLiteral("exclamationmark.triangle.fill"),
                                 ViewStyle::orange());
            case SP_MessageBoxCritical:
                return alertIcon(QStringLiteral("xmark.octagon.fill"), critical());
            case SP_MessageBoxInformation:
                return alertIcon(QStringLiteral("info.circle.fill"), LumivexTheme::accent());
            case SP_MessageBoxQuestion:
                return alertIcon(QStringLiteral("questionmark.circle.fill"),
                                 LumivexTheme::accent());
            default:
                break;
        }
    }
    return QProxyStyle::standardIcon(icon, option, widget);
}

}  // namespace lumivex
