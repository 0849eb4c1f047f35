#include "inspector/inspector_view.h"

#include "browser/browser_fonts.h"
#include "browser/browser_palette.h"
#include "inspector/active_property.h"
#include "inspector/inspector_style.h"
#include "inspector/item_facts.h"
#include "inspector/label_editor.h"
#include "inspector/notes_editor.h"
#include "inspector/rating_editor.h"
#include "inspector/selection_holdings.h"
#include "inspector/selection_storage_location_view.h"
#include "inspector/tab_order.h"
#include "store/lumivex_store.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace lumivex {

InspectorView::InspectorView(Services services, QWidget* parent)
    : StoreRegion(services.store, services.state, parent),
      services_(std::move(services)),
      active_(new ActiveProperty(this)),
      holdings_(std::make_unique<SelectionHoldings>(store_)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildHeader());
    column->addWidget(InspectorStyle::divider(this));
    empty_ = buildEmptyState();
    column->addWidget(empty_, 1);
    buildContent();
    column->addWidget(scroll_, 1);
    footer_ = buildFooter();
    column->addWidget(footer_);
    for (auto signal : {&LumivexStore::libraryChanged, &LumivexStore::queryChanged,
                        &LumivexStore::rootChanged, &LumivexStore::sourceChanged}) {
        connect(&store_, signal, this, &InspectorView::scheduleRefresh);
    }
    connect(&store_, &LumivexStore::pendingEditsDue, this, &InspectorView::storePendingNotes);
    // An opened picker's list grows below the field: bring it into view once it is laid out.
    connect(active_, &ActiveProperty::changed, this, [this] {
        QMetaObject::invokeMethod(this, &InspectorView::showActivePicker, Qt::QueuedConnection);
    });
    connect(&store_, &LumivexStore::selectionChanged, this, [this] {
        // A new selection starts with every picker closed; an edit that publishes the same
        // selection again leaves them be.
        if (store_.selection() != shownSelection_) {
            shownSelection_ = store_.selection();
            active_->set(std::nullopt);
        }
        scheduleRefresh();
    });
}

InspectorView::~InspectorView() = default;

QWidget* InspectorView::buildHeader() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(20, 20, 20, 20);
    row->addWidget(InspectorStyle::label(QStringLiteral("분류 편집"), 12,
                                         BrowserPalette::primaryText(), header, QFont::DemiBold));
    row->addStretch(1);
    properties_ = InspectorStyle::symbolButton(QStringLiteral("slider.horizontal.3"), 14,
                                               BrowserPalette::secondaryText(),
                                               QStringLiteral("이 폴더의 속성 편집"), header);
    connect(properties_, &QToolButton::clicked, this, [this] {
        if (services_.showProperties) {
            services_.showProperties();
        }
    });
    row->addWidget(properties_);
    count_ = InspectorStyle::label(QString(), 10, BrowserPalette::mint(), header);
    row->addWidget(count_);
    return header;
}

QWidget* InspectorView::buildEmptyState() {
    auto* empty = new QWidget(this);
    auto* column = new QVBoxLayout(empty);
    column->addStretch(1);
    QLabel* icon = InspectorStyle::symbolLabel(QStringLiteral("cursorarrow.click.2"), 30,
                                               BrowserPalette::secondaryText(), empty);
    column->addWidget(icon, 0, Qt::AlignHCenter);
    column->addSpacing(8);
    column->addWidget(InspectorStyle::label(QStringLiteral("파일을 선택하세요"), 14,
                                            BrowserPalette::primaryText(), empty, QFont::Medium),
                      0, Qt::AlignHCenter);
    QLabel* text = InspectorStyle::label(QString(), 11, BrowserPalette::secondaryText(), empty);
    text->setTextFormat(Qt::RichText);
    text->setText(
        QStringLiteral("<div align=\"center\" style=\"line-height: 140%\">별점과 분류를 "
                       "자유롭게 지정하세요.<br>여러 개를 선택하면 한 번에 "
                       "적용됩니다.</div>"));
    text->setAlignment(Qt::AlignHCenter);
    column->addWidget(text, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return empty;
}

void InspectorView::buildContent() {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(22);

    single_ = new QWidget(content);
    auto* single = new QVBoxLayout(single_);
    single->setContentsMargins(0, 0, 0, 0);
    single->setSpacing(12);
    thumbnail_ = new MediaThumbnail(services_.thumbnails, single_);
    thumbnail_->setFixedHeight(170);
    thumbnail_->installEventFilter(this);
    single->addWidget(thumbnail_);
    auto* facts = new QVBoxLayout;
    facts->setSpacing(6);
    name_ =
        InspectorStyle::label(QString(), 13, BrowserPalette::primaryText(), single_, QFont::Medium);
    name_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    name_->setWordWrap(true);
    facts->addWidget(name_);
    kind_ = InspectorStyle::label(QString(), 10, BrowserPalette::secondaryText(), single_);
    facts->addWidget(kind_);
    single->addLayout(facts);
    column->addWidget(single_);

    banner_ = new QWidget(content);
    auto* banner = new QHBoxLayout(banner_);
    banner->setContentsMargins(0, 0, 0, 0);
    banner->addWidget(InspectorStyle::symbolLabel(QStringLiteral("square.stack"), 12,
                                                  BrowserPalette::secondaryText(), banner_));
    banner->addWidget(InspectorStyle::label(QStringLiteral("선택한 파일을 함께 편집합니다"), 11,
                                            BrowserPalette::secondaryText(), banner_));
    banner->addStretch(1);
    column->addWidget(banner_);

    location_ = new SelectionStorageLocationView(store_, BrowserPalette::mint(), content);
    column->addWidget(location_);
    sectionsLayout_ = new QVBoxLayout;
    sectionsLayout_->setSpacing(22);
    column->addLayout(sectionsLayout_);

    itemPart_ = new QWidget(content);
    auto* item = new QVBoxLayout(itemPart_);
    item->setContentsMargins(0, 0, 0, 0);
    item->setSpacing(22);
    item->addWidget(InspectorStyle::divider(itemPart_));
    notesSlot_ = new QVBoxLayout;
    notesSlot_->setContentsMargins(0, 0, 0, 0);
    item->addLayout(notesSlot_);
    reveal_ = InspectorStyle::symbolButton(QStringLiteral("arrow.up.forward.square"), 12,
                                           BrowserPalette::secondaryText(), QString(), itemPart_);
    reveal_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    reveal_->setFont(BrowserFonts::system(11));
    InspectorStyle::setColour(reveal_, BrowserPalette::secondaryText());
    connect(reveal_, &QToolButton::clicked, this, [this] { store_.reveal(revealed_); });
    item->addWidget(reveal_, 0, Qt::AlignLeft);
    column->addWidget(itemPart_);
    column->addStretch(1);

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setWidget(content);
    scroll_->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
}

QWidget* InspectorView::buildFooter() {
    auto* footer = new QWidget(this);
    auto* column = new QVBoxLayout(footer);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(InspectorStyle::divider(footer));
    auto* row = new QHBoxLayout;
    row->setContentsMargins(16, 16, 16, 16);
    row->setSpacing(6);
    row->addWidget(InspectorStyle::symbolLabel(QStringLiteral("checkmark.shield"), 11,
                                               BrowserPalette::mint(), footer));
    row->addWidget(InspectorStyle::label(QStringLiteral("분류와 별점은 자동 저장됩니다"), 10,
                                         BrowserPalette::secondaryText(), footer));
    row->addStretch(1);
    column->addLayout(row);
    return footer;
}

QWidget* InspectorView::thumbnail() const {
    return thumbnail_;
}

RatingEditor* InspectorView::ratingEditor() const {
    for (const QUuid& id : order_) {
        if (auto* editor = qobject_cast<RatingEditor*>(sections_.value(id))) {
            return editor;
        }
    }
    return nullptr;
}

LabelEditor* InspectorView::labelEditor(const QUuid& property) const {
    return qobject_cast<LabelEditor*>(sections_.value(property));
}

QList<QWidget*> InspectorView::sections() const {
    QList<QWidget*> result;
    for (const QUuid& id : order_) {
        result.append(sections_.value(id));
    }
    return result;
}

// A closed column skips its redraws; one about to be shown for the first time draws now.
void InspectorView::refresh() {
    if (!isVisibleTo(window())) {
        return;
    }
    const MediaItems selected = store_.selectedItems();
    showSelectedCount(selected.size());
    if (selected.isEmpty()) {
        return;
    }
    refreshSummary(selected);
    location_->refresh();
    refreshSections();
    holdings_->release();
    refreshNotes(selected);
    // The tab order follows the controls where they stand.
    settleLayout();
    TabOrder::followLayouts(*this);
}

// Opening a library empties the selection.
void InspectorView::refreshLoading() {
    showSelectedCount(0);
}

void InspectorView::showSelectedCount(qsizetype count) {
    count_->setVisible(count > 0);
    count_->setText(QString::number(count) + QStringLiteral("개 선택"));
    empty_->setVisible(count == 0);
    scroll_->setVisible(count > 0);
    footer_->setVisible(count > 0);
    if (count == 0) {
        finishNotes();
    }
}

void InspectorView::refreshSummary(const MediaItems& selected) {
    const bool one = selected.size() == 1;
    single_->setVisible(one);
    banner_->setVisible(!one);
    itemPart_->setVisible(one);
    if (!one) {
        return;
    }
    const MediaItem& item = selected.first();
    thumbnail_->setItem(item, store_.root() + QLatin1Char('/') + item.filename, 600, true);
    name_->setText(ItemFacts::fileName(item));
    kind_->setText(ItemFacts::kindLine(item));
    revealed_ = item;
    reveal_->setText(ItemFacts::isPhotosItem(item) ? QStringLiteral("사진 폴더 열기")
                                                   : QStringLiteral("파일 관리자에서 보기"));
}

void InspectorView::refreshSections() {
    const QList<Category>& scope = store_.editorProperties();
    QHash<QUuid, QWidget*> kept;
    QList<QUuid> order;
    for (const Category& category : scope) {
        QWidget* section = sections_.take(category.id);
        const bool rating = category.kind == PropertyKind::rating;
        if (section != nullptr && (qobject_cast<RatingEditor*>(section) != nullptr) != rating) {
            section->hide();
            section->deleteLater();
            section = nullptr;
        }
        if (auto* stars = qobject_cast<RatingEditor*>(section)) {
            stars->setCategory(category);
            stars->refresh();
        } else if (auto* labels = qobject_cast<LabelEditor*>(section)) {
            labels->setCategory(category);
            labels->refresh();
        } else if (rating) {
            section = new RatingEditor(store_, category);
        } else {
            section = new LabelEditor(store_, *active_, *holdings_, category);
        }
        kept.insert(category.id, section);
        order.append(category.id);
    }
    // Sections whose property left the scope go once this turn is over.
    for (QWidget* gone : std::as_const(sections_)) {
        gone->hide();
        gone->deleteLater();
    }
    sections_ = kept;
    if (order != order_) {
        for (const QUuid& id : order) {
            sectionsLayout_->removeWidget(sections_.value(id));
            sectionsLayout_->addWidget(sections_.value(id));
        }
        order_ = order;
    }
    if (active_->value() && !sections_.contains(*active_->value())) {
        active_->set(std::nullopt);
    }
}

void InspectorView::refreshNotes(const MediaItems& selected) {
    const bool shown = selected.size() == 1 && !selected.first().notes.isEmpty();
    if (!shown) {
        finishNotes();
        return;
    }
    const MediaItem& item = selected.first();
    if (notes_ != nullptr && notes_->itemID() == item.id) {
        notes_->setItem(item);
        return;
    }
    finishNotes();
    notes_ = new NotesEditor(store_, item, itemPart_);
    notesSlot_->addWidget(notes_);
}

void InspectorView::finishNotes() {
    if (notes_ == nullptr) {
        return;
    }
    if (const std::optional<NotesEditor::Draft> draft = notes_->finish()) {
        finishedNotes_.append({draft->itemID, draft->text});
        QMetaObject::invokeMethod(this, &InspectorView::storeFinishedNotes, Qt::QueuedConnection);
    }
    notes_->hide();
    notes_->deleteLater();
    notes_ = nullptr;
}

void InspectorView::storeFinishedNotes() {
    for (const auto& [itemID, text] : std::exchange(finishedNotes_, {})) {
        store_.setNotes(text, itemID);
    }
}

void InspectorView::storePendingNotes() {
    storeFinishedNotes();
    if (notes_ != nullptr) {
        notes_->storeChangedDraft();
    }
}

void InspectorView::showActivePicker() {
    if (!active_->value()) {
        return;
    }
    if (LabelEditor* editor = labelEditor(*active_->value())) {
        // The scroll range follows the content's new height only once its layout has run.
        scroll_->widget()->layout()->activate();
        scroll_->widget()->resize(
            scroll_->widget()->width(),
            scroll_->widget()->layout()->totalHeightForWidth(scroll_->widget()->width()));
        scroll_->ensureWidgetVisible(editor, 0, 20);
    }
}

void InspectorView::showEvent(QShowEvent* event) {
    StoreRegion::showEvent(event);
    scheduleRefresh();
}

void InspectorView::hideEvent(QHideEvent* event) {
    StoreRegion::hideEvent(event);
    finishNotes();
    active_->set(std::nullopt);
}

void InspectorView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), BrowserPalette::panel());
}

bool InspectorView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == thumbnail_ && event->type() == QEvent::Resize) {
        QPainterPath path;
        path.addRoundedRect(QRectF(QPointF(0, 0), thumbnail_->size()), 7, 7);
        thumbnail_->setMask(QRegion(path.toFillPolygon().toPolygon()));
    }
    return StoreRegion::eventFilter(watched, event);
}

}  // namespace lumivex
