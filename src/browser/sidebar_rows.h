#pragma once

#include <QAbstractButton>

#include <optional>

namespace lumivex {

// A sidebar row: symbol, title, item count and the selection highlight; the whole padded row
// takes the click. Without a count it is the custom length row (smaller, dimmer). Main thread.
class NavRow : public QAbstractButton {
    Q_OBJECT

public:
    NavRow(const QString& title, const QString& icon, std::optional<qsizetype> count, bool selected,
           QWidget* parent = nullptr);

    const QString& icon() const { return icon_; }
    std::optional<qsizetype> count() const { return count_; }
    bool selected() const { return selected_; }
    // Repaints only when the count or the highlight changed.
    void setState(std::optional<qsizetype> count, bool selected);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString icon_;
    std::optional<qsizetype> count_;
    bool selected_;
};

// A choice in the source popover: a large symbol, a title, a detail line and the check mark of
// the current source; or, with `removable`, a recent folder whose path is the detail.
class SourceOption : public QAbstractButton {
    Q_OBJECT

public:
    SourceOption(const QString& title, const QString& detail, const QString& icon, bool selected,
                 QWidget* parent = nullptr);

    const QString& detail() const { return detail_; }
    bool selected() const { return selected_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString detail_;
    QString icon_;
    bool selected_;
};

}  // namespace lumivex
