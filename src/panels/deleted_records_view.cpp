#include "panels/deleted_records_view.h"

#include "media_views/view_style.h"
#include "panels/deleted_record_row.h"
#include "panels/panel_symbol.h"
#include "panels/round_button.h"
#include "panels/rounded_panel.h"
#include "panels/utility_palette.h"
#include "panels/utility_panel_header.h"
#include "platform/text_order.h"

#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <QtConcurrent>

#include <algorithm>

namespace lumivex {

namespace {

constexpr double tickSeconds = 60;
// About a screen and a half of rows; more are made as the list nears its end.
constexpr qsizetype rowsPerBatch = 8;
// Between the folded texts of one record, so that a search never matches across two of them.
const QChar keySeparator(0x1);

// Everything a search looks in: the whole relative path, the note and every stored value, also
// of properties the archive no longer lists. Never the rating or the date.
QString searchKey(const MediaItem& item) {
    QStringList texts{item.filename, item.notes};
    for (const auto& [property, values] : item.labels) {
        texts.append(values);
    }
    return TextOrder::caseFoldKey(texts.join(keySeparator));
}

QStringList foldedKeys(const QList<DeletedRecord>& records) {
    QStringList keys;
    keys.reserve(records.size());
    for (const DeletedRecord& record : records) {
        keys.append(searchKey(record.item));
    }
    return keys;
}

bool withinWindow(const DeletedRecord& record, Date now) {
    return now.secondsSince1970 - record.deletedAt.secondsSince1970 <
           DeletedArchive::retentionSeconds;
}

// The positions of the records to show, latest deletion first; `keys` holds one folded text per
// record, or is empty when the query is.
QList<qsizetype> filter(const QList<DeletedRecord>& records, const QStringList& keys,
                        const QString& query, Date now) {
    const QString needle = query.isEmpty() ? QString() : TextOrder::caseFoldKey(query);
    QList<qsizetype> kept;
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (withinWindow(records[i], now) && (needle.isEmpty() || keys[i].contains(needle))) {
            kept.append(i);
        }
    }
    std::stable_sort(kept.begin(), kept.end(), [&records](qsizetype a, qsizetype b) {
        return records[a].deletedAt.secondsSince1970 > records[b].deletedAt.secondsSince1970;
    });
    return kept;
}

QLabel* secondaryLabel(const QString& text, double size, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(ViewStyle::systemFont(size));
    ViewStyle::setTextColour(label, UtilityPalette::secondaryText());
    return label;
}

}  // namespace

DeletedRecordsView::DeletedRecordsView(const DeletedArchive& archive, bool isPhotos,
                                       StoreClock& clock, std::function<void()> onClose,
                                       QWidget* parent)
    : QWidget(parent), archive_(archive), isPhotos_(isPhotos), clock_(clock), now_(clock.now()) {
    setFixedSize(650, 560);
    setWindowTitle(QStringLiteral("최근 삭제 기록"));
    setPalette(ViewStyle::darkPalette(palette()));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* header = new UtilityPanelHeader(windowTitle(), QStringLiteral("clock.arrow.circlepath"),
                                          std::move(onClose), this);
    header->setContentsMargins(24, 22, 24, 18);
    column->addWidget(header);
    column->addWidget(buildSearchRow());
    content_ = new QStackedLayout;
    content_->addWidget(buildList());
    content_->addWidget(buildEmptyState());
    column->addLayout(content_, 1);
    column->addWidget(buildFooter());
    wait_ = clock_.after(tickSeconds, [this] { tick(); });
    refresh();
    prepareKeys();
}

// The worker holds its own copy of the records: a panel that closes leaves it to finish unread.
DeletedRecordsView::~DeletedRecordsView() = default;

void DeletedRecordsView::prepareKeys() {
    keys_.clear();
    pendingKeys_ = QtConcurrent::run([records = archive_.records] { return foldedKeys(records); });
}

// The keys of the current archive; made here when the worker has not finished them yet.
const QStringList& DeletedRecordsView::searchKeys() {
    if (keys_.size() != archive_.records.size()) {
        keys_ = pendingKeys_.isFinished() && pendingKeys_.resultCount() > 0
                    ? pendingKeys_.result()
                    : foldedKeys(archive_.records);
    }
    return keys_;
}

QList<DeletedRecord> DeletedRecordsView::matching(const QList<DeletedRecord>& records,
                                                  const QString& search, Date now) {
    const QString query = search.trimmed();
    QList<DeletedRecord> shown;
    for (const qsizetype i :
         filter(records, query.isEmpty() ? QStringList() : foldedKeys(records), query, now)) {
        shown.append(records[i]);
    }
    return shown;
}

void DeletedRecordsView::setArchive(const DeletedArchive& archive) {
    if (archive == archive_) {
        return;
    }
    const bool sameCategories = archive.categories == archive_.categories;
    archive_ = archive;
    prepareKeys();
    filterRecords();
    reconcileRows(sameCategories);
}

QWidget* DeletedRecordsView::buildSearchRow() {
    auto* outer = new QWidget(this);
    auto* margins = new QHBoxLayout(outer);
    margins->setContentsMargins(24, 0, 24, 16);
    auto* box = new RoundedPanel(UtilityPalette::white(0.055), Qt::transparent, 9, outer);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(13, 11, 13, 11);
    row->setSpacing(9);
    row->addWidget(PanelSymbol::label(QStringLiteral("magnifyingglass"), 13,
                                      UtilityPalette::secondaryText(), box));
    search_ = new QLineEdit(box);
    search_->setFrame(false);
    search_->setFont(ViewStyle::systemFont(13));
    search_->setPlaceholderText(QStringLiteral("파일명 · 사람 · 태그 검색"));
    search_->setAccessibleName(QStringLiteral("삭제 기록 검색"));
    QPalette clear = search_->palette();
    clear.setColor(QPalette::Base, Qt::transparent);
    search_->setPalette(clear);
    row->addWidget(search_, 1);
    clear_ = new RoundButton(QStringLiteral("xmark.circle.fill"), 18, box);
    clear_->setToolTip(QStringLiteral("검색 지우기"));
    clear_->setAccessibleName(QStringLiteral("검색 지우기"));
    connect(clear_, &QPushButton::clicked, search_, &QLineEdit::clear);
    row->addWidget(clear_);
    count_ = secondaryLabel(QString(), 13, box);
    row->addWidget(count_);
    margins->addWidget(box);
    connect(search_, &QLineEdit::textChanged, this, &DeletedRecordsView::refresh);
    return outer;
}

QWidget* DeletedRecordsView::buildList() {
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->viewport()->setAutoFillBackground(false);
    rowsBox_ = new QWidget(scroll_);
    rowsBox_->setAutoFillBackground(false);
    rowsLayout_ = new QVBoxLayout(rowsBox_);
    rowsLayout_->setContentsMargins(24, 0, 24, 18);
    rowsLayout_->setSpacing(8);
    rowsLayout_->addStretch(1);
    scroll_->setWidget(rowsBox_);
    connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &DeletedRecordsView::scrolled);
    connect(scroll_->verticalScrollBar(), &QScrollBar::rangeChanged, this,
            [this] { scrolled(scroll_->verticalScrollBar()->value()); });
    return scroll_;
}

QWidget* DeletedRecordsView::buildEmptyState() {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setSpacing(12);
    column->addStretch(1);
    QColor tint = UtilityPalette::mint();
    tint.setAlphaF(0.8f);
    emptySymbol_ = PanelSymbol::label(QStringLiteral("checkmark.circle"), 31, tint, box);
    column->addWidget(emptySymbol_, 0, Qt::AlignHCenter);
    emptyTitle_ = new QLabel(box);
    emptyTitle_->setFont(ViewStyle::systemFont(14, QFont::Medium));
    column->addWidget(emptyTitle_, 0, Qt::AlignHCenter);
    emptySubtitle_ =
        secondaryLabel(QStringLiteral("사라진 항목의 별점과 속성을 잠시 보관합니다."), 12, box);
    column->addWidget(emptySubtitle_, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return box;
}

QWidget* DeletedRecordsView::buildFooter() {
    auto* footer = new RoundedPanel(UtilityPalette::white(0.025), Qt::transparent, 0, this);
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(24, 16, 24, 16);
    row->setSpacing(7);
    QColor tint = UtilityPalette::mint();
    tint.setAlphaF(0.8f);
    row->addWidget(PanelSymbol::label(QStringLiteral("info.circle"), 11, tint, footer));
    // The photo library's deletions move its files to the Trash as well.
    footer_ =
        secondaryLabel(QStringLiteral("분류 기록만 7일 보관 · 원본 복구는 휴지통에서"), 11, footer);
    row->addWidget(footer_);
    row->addStretch(1);
    return footer;
}

// The list a person is reading stays as it is: its rows, their expansion and the scroll position.
// Each row's days follow the new time.
void DeletedRecordsView::tick() {
    now_ = clock_.now();
    wait_ = clock_.after(tickSeconds, [this] { tick(); });
    filterRecords();
    reconcileRows(true);
    for (DeletedRecordRow* row : std::as_const(rows_)) {
        row->setNow(now_);
    }
}

void DeletedRecordsView::refresh() {
    filterRecords();
    clearRows();
    appendRows();
}

void DeletedRecordsView::filterRecords() {
    const QString query = search_->text().trimmed();
    shown_ = filter(archive_.records, query.isEmpty() ? QStringList() : searchKeys(), query, now_);
    clear_->setVisible(!search_->text().isEmpty());
    count_->setText(QString::number(shown_.size()));
    const bool searching = !search_->text().isEmpty();
    PanelSymbol::set(emptySymbol_, searching ? QStringLiteral("magnifyingglass")
                                             : QStringLiteral("checkmark.circle"));
    emptyTitle_->setText(searching ? QStringLiteral("일치하는 기록이 없어요")
                                   : QStringLiteral("보관 중인 삭제 기록이 없어요"));
    emptySubtitle_->setVisible(!searching);
    content_->setCurrentIndex(shown_.isEmpty() ? 1 : 0);
}

void DeletedRecordsView::clearRows() {
    expanded_.clear();
    for (DeletedRecordRow* row : std::as_const(rows_)) {
        forgetRow(row);
    }
    rows_.clear();
    scroll_->verticalScrollBar()->setValue(0);
}

// The next batch of rows, made only when the list nears its end.
void DeletedRecordsView::appendRows() {
    const qsizetype end = std::min(shown_.size(), rows_.size() + rowsPerBatch);
    for (qsizetype i = rows_.size(); i < end; ++i) {
        DeletedRecordRow* row = makeRow(archive_.records[shown_[i]]);
        rowsLayout_->insertWidget(rowsLayout_->count() - 1, row);
        rows_.append(row);
    }
}

DeletedRecordRow* DeletedRecordsView::makeRow(const DeletedRecord& record) {
    auto* row = new DeletedRecordRow(record, archive_.categories, isPhotos_, now_, rowsBox_);
    row->setExpanded(expanded_.contains(record.item.id));
    return row;
}

// The records shown changed under a person reading them (they expired, or the store purged or
// replaced its archive): rows whose records are still shown unchanged stay, expanded or not,
// the others go or are made anew, and the scroll position is left alone.
void DeletedRecordsView::reconcileRows(bool sameCategories) {
    QHash<QUuid, DeletedRecordRow*> made;
    for (DeletedRecordRow* row : std::as_const(rows_)) {
        rowsLayout_->removeWidget(row);
        made.insert(row->record().item.id, row);
    }
    const qsizetype count = std::min(shown_.size(), std::max(rows_.size(), rowsPerBatch));
    rows_.clear();
    for (qsizetype i = 0; i < count; ++i) {
        const DeletedRecord& record = archive_.records[shown_[i]];
        DeletedRecordRow* row = made.take(record.item.id);
        if (row != nullptr && !(sameCategories && row->record() == record)) {
            forgetRow(row);
            row = nullptr;
        }
        rows_.append(row != nullptr ? row : makeRow(record));
        rowsLayout_->insertWidget(i, rows_.last());
    }
    for (DeletedRecordRow* row : std::as_const(made)) {
        forgetRow(row);
    }
}

// A row about to go leaves its expansion behind, for a row of the same record made later.
void DeletedRecordsView::forgetRow(DeletedRecordRow* row) {
    if (row->isExpanded()) {
        expanded_.insert(row->record().item.id);
    } else {
        expanded_.remove(row->record().item.id);
    }
    delete row;
}

void DeletedRecordsView::scrolled(int value) {
    const QScrollBar* bar = scroll_->verticalScrollBar();
    if (rows_.size() < shown_.size() && value >= bar->maximum() - scroll_->viewport()->height()) {
        appendRows();
    }
}

QString DeletedRecordsView::countText() const {
    return count_->text();
}

bool DeletedRecordsView::showsEmptyState() const {
    return content_->currentIndex() == 1;
}

QString DeletedRecordsView::emptyTitle() const {
    return emptyTitle_->text();
}

QString DeletedRecordsView::footerText() const {
    return footer_->text();
}

void DeletedRecordsView::paintEvent(QPaintEvent*) {
    UtilityPalette::paintPanelBackground(*this);
}

}  // namespace lumivex
