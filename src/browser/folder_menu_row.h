#pragma once

#include <QAbstractButton>

namespace lumivex {

// One row of a folder or filter menu level, drawn entirely by itself: the hover or keyboard
// highlight, the symbol, the title, the check mark of the current value and the chevron of a
// row that opens a deeper level. Clicking emits `clicked`; the pointer entering emits `entered`,
// also while the menu's window is not active. Main thread.
class FolderMenuRow : public QAbstractButton {
    Q_OBJECT

public:
    explicit FolderMenuRow(QWidget* parent = nullptr);

    void setSymbol(const QString& symbol) { symbol_ = symbol; }
    void setIndentation(int steps) { indentation_ = steps; }
    void setHasChildren(bool value) { hasChildren_ = value; }
    void setCheckMark(bool value) { checkMark_ = value; }
    void setMenuHighlighted(bool value);

    const QString& symbol() const { return symbol_; }
    int indentation() const { return indentation_; }
    bool hasChildren() const { return hasChildren_; }
    bool checkMark() const { return checkMark_; }
    bool menuHighlighted() const { return menuHighlighted_; }

    // Where the parts are drawn, in the row's coordinates.
    QRectF iconRect() const;
    QRectF titleRect() const;
    QRectF checkMarkRect() const;
    QRectF chevronRect() const;
    QRectF highlightRect() const;

Q_SIGNALS:
    void entered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    QString symbol_ = QStringLiteral("folder");
    int indentation_ = 0;
    bool hasChildren_ = false;
    bool checkMark_ = false;
    bool menuHighlighted_ = false;
};

// The scrolled page of a menu level that holds its rows, laid out from the top.
class FolderMenuDocument : public QWidget {
public:
    using QWidget::QWidget;
};

}  // namespace lumivex
