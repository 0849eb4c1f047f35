#pragma once

#include "catalog/deleted_archive.h"
#include "store/store_clock.h"

#include <QFuture>
#include <QSet>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QStackedLayout;
class QVBoxLayout;

namespace lumivex {

class DeletedRecordRow;

// The deleted-records panel: the records of the last seven days, newest first, with a search over
// their names, folders, notes and values, the number shown, and where the deleted files can be
// brought back. Its clock ticks every 60 seconds through the store's clock, so a record leaves
// within a minute of its seventh day and every row's days follow. Rows are made as the list
// scrolls, so ten thousand records open at once. It only reads. Main thread.
class DeletedRecordsView final : public QWidget {
public:
    // `clock` must outlive the view.
    DeletedRecordsView(const DeletedArchive& archive, bool isPhotos, StoreClock& clock,
                       std::function<void()> onClose, QWidget* parent = nullptr);
    ~DeletedRecordsView() override;

    // The records to show at `now` for this search text, latest deletion first (stable).
    static QList<DeletedRecord> matching(const QList<DeletedRecord>& records, const QString& search,
                                         Date now);

    // The store purged or replaced the archive: the panel shows the new one.
    void setArchive(const DeletedArchive& archive);

    QLineEdit* searchField() const { return search_; }
    QPushButton* clearButton() const { return clear_; }
    QString countText() const;
    QList<DeletedRecordRow*> rows() const { return rows_; }
    bool showsEmptyState() const;
    QString emptyTitle() const;
    QString footerText() const;
    Date now() const { return now_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* buildSearchRow();
    QWidget* buildList();
    QWidget* buildEmptyState();
    QWidget* buildFooter();
    void tick();
    void refresh();
    // The records to show now, and the count and empty state that tell of them.
    void filterRecords();
    void prepareKeys();
    const QStringList& searchKeys();
    void clearRows();
    void appendRows();
    DeletedRecordRow* makeRow(const DeletedRecord& record);
    void reconcileRows(bool sameCategories);
    void forgetRow(DeletedRecordRow* row);
    void scrolled(int value);

    DeletedArchive archive_;
    bool isPhotos_;
    StoreClock& clock_;
    Date now_;
    // The folded texts each record is searched in, made off the main thread when the panel opens
    // (or at the first search, when that comes first).
    QStringList keys_;
    QFuture<QStringList> pendingKeys_;
    std::unique_ptr<StoreClock::Wait> wait_;
    QList<qsizetype> shown_;  // positions in the archive
    QList<DeletedRecordRow*> rows_;
    QSet<QUuid> expanded_;
    QLineEdit* search_ = nullptr;
    QPushButton* clear_ = nullptr;
    QLabel* count_ = nullptr;
    QStackedLayout* content_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QWidget* rowsBox_ = nullptr;
    QVBoxLayout* rowsLayout_ = nullptr;
    QLabel* emptySymbol_ = nullptr;
    QLabel* emptyTitle_ = nullptr;
    QLabel* emptySubtitle_ = nullptr;
    QLabel* footer_ = nullptr;
};

}  // namespace lumivex
