#pragma once

#include <QPointer>
#include <QProxyStyle>

#include <functional>

class QPainter;
class QRectF;

namespace lumivex {

// The one look of every stock widget in the application, over Fusion in the theme's dark palette:
// thin rounded scroll bars without arrows, rounded push buttons whose default (or prominent)
// button takes the accent colour, a focus ring only where the keyboard moved the focus, and the
// icons of alerts drawn with the application's own symbols. Installed once for the whole
// application, so every view gets it without styling its widgets one by one. Main thread.
class LumivexStyle : public QProxyStyle {
    Q_OBJECT

public:
    // Draws a named symbol ("exclamationmark.triangle.fill", ...) centred in a box.
    using SymbolPainter =
        std::function<void(QPainter&, const QString&, const QRectF&, const QColor&)>;

    explicit LumivexStyle(SymbolPainter symbols = {});

    // Makes a new LumivexStyle the application's style, with its palette.
    static void install(SymbolPainter symbols);
    // The dark palette of the theme: canvas windows, panel fields, accent highlights.
    static QPalette applicationPalette();
    // The named symbol as the installed style draws it, for labels that show a symbol no font
    // draws well; a null icon when the application has no LumivexStyle.
    static QIcon symbolIcon(const QString& name, const QColor& colour);
    // Marks `button` as the main button of its window: drawn in the accent colour even when
    // Return does not press it.
    static void setProminent(QWidget* button, bool prominent = true);

    QPalette standardPalette() const override;
    void polish(QWidget* widget) override;
    void polish(QApplication* application) override;
    void unpolish(QApplication* application) override;

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

    // Whether the keyboard (Tab, Shift+Tab, a mnemonic) gave `widget` its focus; a click or a
    // window's activation does not, and then no focus ring is drawn.
    bool focusFromKeyboard(const QWidget* widget) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusEntered(QWidget* widget, Qt::FocusReason reason);
    QRect scrollBarRect(const QStyleOptionComplex* option, SubControl sub) const;
    void drawScrollBar(const QStyleOptionComplex* option, QPainter* painter) const;
    void drawButtonPanel(const QStyleOption* option, QPainter* painter,
                         const QWidget* widget) const;
    void drawFocusRing(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
    void drawTab(const QStyleOption* option, QPainter* painter) const;
    void drawTabFrame(const QStyleOption* option, QPainter* painter) const;
    bool accentButton(const QStyleOption* option, const QWidget* widget) const;
    QIcon alertIcon(const QString& symbol, const QColor& colour) const;

    SymbolPainter symbols_;
    QPointer<QWidget> keyboardFocus_;
    bool tabPressed_ = false;
};

}  // namespace lumivex
