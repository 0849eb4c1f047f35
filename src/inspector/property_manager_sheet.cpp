#include "inspector/property_manager_sheet.h"

#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "browser/sheet_slot.h"
#include "inspector/category_sheet.h"
#include "inspector/inspector_style.h"
#include "inspector/tab_order.h"
#include "store/lumivex_store.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace lumivex {

namespace {

QString kindText(PropertyKind kind) {
    switch (kind) {
        case PropertyKind::singleSelect:
            return QStringLiteral("단일 선택");
        case PropertyKind::multiSelect:
            return QStringLiteral("다중 선택");
        case PropertyKind::rating:
            return QStringLiteral("별점 · 0~5점 · 고정 속성");
    }
    return {};
}

// A property's row on its faint rounded fill.
class PropertyRow : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        InspectorStyle::paintRounded(painter, rect(), 7, BrowserPalette::white(0.04));
    }
};

}  // namespace

PropertyManagerSheet::PropertyManagerSheet(LumivexStore& store, WindowState& state,
                                           std::function<void()> onClose, QWidget* parent)
    : StoreRegion(store, state, parent), onClose_(std::move(onClose)) {
    setFixedSize(500, 520);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(18);
    auto* header = new QHBoxLayout;
    auto* texts = new QVBoxLayout;
    texts->setSpacing(5);
    texts->addWidget(InspectorStyle::label(QStringLiteral("속성 편집"), 20,
                                           BrowserPalette::primaryText(), this, QFont::DemiBold));
    subtitle_ = InspectorStyle::label(QString(), 12, BrowserPalette::secondaryText(), this);
    texts->addWidget(subtitle_);
    header->addLayout(texts);
    header->addStretch(1);
    done_ = new QPushButton(QStringLiteral("완료"), this);
    done_->setShortcut(QKeySequence(Qt::Key_Escape));
    done_->setAutoDefault(true);  // Return on it closes, as on any focused button
    connect(done_, &QPushButton::clicked, this, [this] { onClose_(); });
    header->addWidget(done_, 0, Qt::AlignTop);
    column->addLayout(header);
    QLabel* caption = InspectorStyle::label(
        QStringLiteral("별점은 맨 위에 고정됩니다. 다른 속성의 이름·순서를 바꾸거나 새 속성을 "
                       "추가하세요."),
        12, BrowserPalette::secondaryText(), this);
    caption->setWordWrap(true);
    column->addWidget(caption);
    list_ = new QWidget;
    rows_ = new QVBoxLayout(list_);
    rows_->setContentsMargins(0, 0, 0, 0);
    rows_->setSpacing(6);
    rows_->addStretch(1);
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setWidget(list_);
    scroll_->viewport()->setAutoFillBackground(false);
    list_->setAutoFillBackground(false);
    column->addWidget(scroll_, 1);
    add_ =
        new QPushButton(BrowserIcons::icon(QStringLiteral("plus"), BrowserPalette::primaryText()),
                        QStringLiteral("속성 추가…"), this);
    add_->setDefault(true);
    connect(add_, &QPushButton::clicked, this, [this] { openSheet(std::nullopt); });
    column->addWidget(add_, 0, Qt::AlignLeft);
    for (auto signal : {&LumivexStore::libraryChanged, &LumivexStore::queryChanged,
                        &LumivexStore::rootChanged, &LumivexStore::sourceChanged}) {
        connect(&store_, signal, this, &PropertyManagerSheet::scheduleRefresh);
    }
}

void PropertyManagerSheet::refresh() {
    // Closed, it would make every row again for each edit; it is drawn when it opens instead.
    if (!isVisible()) {
        return;
    }
    subtitle_->setText(subtitleText());
    const std::optional<FocusedControl> focused = focusedControl();
    removeRows();
    const QList<Category> properties = store_.editableProperties();
    for (qsizetype i = 0; i < properties.size(); ++i) {
        QWidget* row = makeRow(properties[i], i, properties.size());
        rowByID_.insert(properties[i].id, row);
        rows_->insertWidget(rows_->count() - 1, row);
        // At once rather than on the layout's queued call, so that the list can be laid out now.
        row->show();
    }
    TabOrder::followLayouts(*this);
    if (focused) {
        refocus(*focused);
        reveal(focused->property);
    }
}

// The rows of the library shown before are not this one's: none stand until its views are built.
void PropertyManagerSheet::refreshLoading() {
    subtitle_->setText(subtitleText());
    removeRows();
}

void PropertyManagerSheet::removeRows() {
    for (QWidget* old : std::as_const(rowByID_)) {
        // The row whose button asked for the change that brought this redraw goes later.
        old->hide();
        old->deleteLater();
    }
    rowByID_.clear();
}

std::optional<PropertyManagerSheet::FocusedControl> PropertyManagerSheet::focusedControl() const {
    auto* button = qobject_cast<QToolButton*>(QApplication::focusWidget());
    for (auto row = rowByID_.cbegin(); button && row != rowByID_.cend(); ++row) {
        if (row.value()->isAncestorOf(button)) {
            return FocusedControl{row.key(), button->property("symbol").toString()};
        }
    }
    return std::nullopt;
}

// The keyboard stays on the row it moved: on the same button, or on one still enabled when the
// row reached an end of the list. The keyboard put it there, so it shows its ring as after a
// shortcut.
void PropertyManagerSheet::refocus(const FocusedControl& control) {
    QToolButton* same = rowButton(control.property, control.symbol);
    if (same && same->isEnabled()) {
        same->setFocus(Qt::ShortcutFocusReason);
        return;
    }
    if (QWidget* found = row(control.property)) {
        for (QToolButton* button : found->findChildren<QToolButton*>()) {
            if (button->isEnabled()) {
                button->setFocus(Qt::ShortcutFocusReason);
                return;
            }
        }
    }
}

// A row the keyboard moved past the visible part of the list scrolls back into sight, once the
// list has laid its new rows out.
void PropertyManagerSheet::reveal(const QUuid& property) {
    if (QWidget* moved = row(property)) {
        rows_->activate();
        scroll_->ensureWidgetVisible(moved);
    }
}

// The photo library's root is our metadata folder, whose name would mean nothing to the user.
QString PropertyManagerSheet::subtitleText() const {
    if (store_.source() == LibrarySource::photos) {
        return QStringLiteral("사진 보관함의 속성");
    }
    const std::optional<QString>& folder = store_.query().folderPath;
    const QString name = folder && !folder->isEmpty()
                             ? folder->mid(folder->lastIndexOf(QLatin1Char('/')) + 1)
                             : QDir(store_.root()).dirName();
    return name + QStringLiteral(" 폴더의 속성");
}

QWidget* PropertyManagerSheet::makeRow(const Category& category, qsizetype position,
                                       qsizetype count) {
    auto* row = new PropertyRow(list_);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(12, 12, 12, 12);
    line->setSpacing(12);
    QLabel* icon = InspectorStyle::symbolLabel(category.symbol(), 14, BrowserPalette::mint(), row);
    icon->setFixedWidth(20);
    icon->setAlignment(Qt::AlignCenter);
    line->addWidget(icon);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(InspectorStyle::label(category.name, 13, BrowserPalette::primaryText(), row,
                                           QFont::Medium));
    texts->addWidget(
        InspectorStyle::label(kindText(category.kind), 10, BrowserPalette::secondaryText(), row));
    line->addLayout(texts);
    line->addStretch(1);
    if (category.kind == PropertyKind::rating) {
        QLabel* lock = InspectorStyle::symbolLabel(QStringLiteral("lock.fill"), 11,
                                                   BrowserPalette::secondaryText(), row);
        lock->setToolTip(
            QStringLiteral("별점은 항상 맨 위에 표시되며 이름 변경·이동·삭제할 수 없습니다"));
        line->addWidget(lock);
        return row;
    }
    const auto button = [&](const QString& symbol, const QString& help, auto action) {
        QToolButton* b =
            InspectorStyle::symbolButton(symbol, 13, BrowserPalette::secondaryText(), help, row);
        connect(b, &QToolButton::clicked, this, action);
        line->addWidget(b);
        return b;
    };
    button(QStringLiteral("chevron.up"), QStringLiteral("위로 이동"), [this, category] {
        store_.moveCategory(category, -1);
    })->setEnabled(position >= 2);
    button(QStringLiteral("chevron.down"), QStringLiteral("아래로 이동"), [this, category] {
        store_.moveCategory(category, 1);
    })->setEnabled(position != count - 1);
    button(QStringLiteral("pencil"), QStringLiteral("속성 이름 변경"),
           [this, category] { openSheet(category); });
    button(QStringLiteral("trash"), QStringLiteral("속성 삭제"),
           [this, category] { beginDelete(category); });
    return row;
}

QWidget* PropertyManagerSheet::row(const QUuid& property) const {
    return rowByID_.value(property);
}

QToolButton* PropertyManagerSheet::rowButton(const QUuid& property, const QString& symbol) const {
    QWidget* found = row(property);
    if (found == nullptr) {
        return nullptr;
    }
    for (QToolButton* button : found->findChildren<QToolButton*>()) {
        if (button->property("symbol").toString() == symbol) {
            return button;
        }
    }
    return nullptr;
}

void PropertyManagerSheet::openSheet(const std::optional<Category>& category) {
    if (sheet_) {
        return;
    }
    auto* sheet = new CategorySheet(store_, category, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet_ = sheet;
    SheetSlot::present(*sheet);
}

void PropertyManagerSheet::beginDelete(const Category& category) {
    if (deleteAlert_) {
        return;
    }
    auto* alert = new QMessageBox(this);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::WindowModal);
    alert->setText(QStringLiteral("속성을 삭제하시겠습니까?"));
    alert->setInformativeText(QStringLiteral("‘") + category.name +
                              QStringLiteral("’ 속성과 이 폴더에 지정한 해당 값이 제거됩니다. "
                                             "사진·영상 원본은 그대로 유지됩니다."));
    QPushButton* cancel = alert->addButton(QStringLiteral("취소"), QMessageBox::RejectRole);
    // Qt puts a destructive button before "취소" in every layout: this one takes the action's
    // place, last, and Return never chooses it.
    QPushButton* remove = alert->addButton(QStringLiteral("삭제"), QMessageBox::AcceptRole);
    alert->setDefaultButton(cancel);
    alert->setEscapeButton(cancel);
    connect(alert, &QMessageBox::buttonClicked, this,
            [this, category, remove](QAbstractButton* clicked) {
                if (clicked == remove) {
                    store_.removeCategory(category);
                }
            });
    deleteAlert_ = alert;
    alert->open();
}

void PropertyManagerSheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    InspectorStyle::paintRounded(painter, rect(), 10, BrowserPalette::panel());
}

void PropertyManagerSheet::showEvent(QShowEvent* event) {
    scheduleRefresh();
    StoreRegion::showEvent(event);
    setFocus(Qt::OtherFocusReason);
}

// Closing forgets the panel's own questions and sheets.
void PropertyManagerSheet::hideEvent(QHideEvent* event) {
    StoreRegion::hideEvent(event);
    if (deleteAlert_) {
        deleteAlert_->close();
    }
    if (sheet_) {
        sheet_->reject();
    }
}

}  // namespace lumivex
