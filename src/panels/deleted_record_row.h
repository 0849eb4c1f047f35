#pragma once

#include "catalog/deleted_archive.h"
#include "panels/rounded_panel.h"

class QLabel;

namespace lumivex {

// One record of the deleted-records panel: a summary line (kind, name, folder, rating and first
// values, days left, date of deletion) that a click expands to every kept value and the moment
// the record itself goes. It only reads. Main thread.
class DeletedRecordRow final : public RoundedPanel {
public:
    DeletedRecordRow(const DeletedRecord& record, const QList<Category>& categories, bool isPhotos,
                     Date now, QWidget* parent = nullptr);

    // The whole days left until the record expires, 1 to 7.
    static int remainingDays(const DeletedRecord& record, Date now);
    // The properties, in order, under which the item holds at least one value (never the rating).
    static QList<Category> properties(const MediaItem& item, const QList<Category>& categories);
    // The first four of those values, joined with " · ".
    static QString compactLabels(const MediaItem& item, const QList<Category>& categories);
    // Where the item lay: the library's name for the photo library, else its folder.
    static QString locationText(const MediaItem& item, bool isPhotos);
    // Abbreviated month and day, and the whole date with the time, in Korean.
    static QString dayText(Date date);
    static QString momentText(Date date);

    const DeletedRecord& record() const { return record_; }
    bool isExpanded() const { return expanded_; }
    void setExpanded(bool expanded);
    // The panel's clock moved: the badge and the texts follow it.
    void setNow(Date now);
    QString badgeText() const;
    bool badgeIsUrgent() const;
    QWidget* summary() const { return summary_; }
    // Null until the row is first expanded.
    QWidget* details() const { return details_; }

private:
    QWidget* buildSummary();
    QWidget* buildDetails();
    QWidget* textColumn(QWidget* parent);
    void refreshClock();

    DeletedRecord record_;
    QList<Category> categories_;
    bool isPhotos_;
    Date now_;
    bool expanded_ = false;
    QWidget* summary_ = nullptr;
    QWidget* details_ = nullptr;
    QLabel* badge_ = nullptr;
    QLabel* chevron_ = nullptr;
};

}  // namespace lumivex
