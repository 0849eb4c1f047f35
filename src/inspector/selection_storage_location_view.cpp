#include "inspector/selection_storage_location_view.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "inspector/inspector_style.h"
#include "inspector/key_activation.h"
#include "media_views/window_placement.h"
#include "store/lumivex_store.h"

#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QStyleOptionFocusRect>
#include <QToolButton>
#include <QVBoxLayout>

namespace lumivex {

namespace {

QLabel* iconLabel(const QString& symbol, int size, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(BrowserIcons::pixmap(symbol, size, colour, parent->devicePixelRatioF()));
    label->setProperty("symbol", symbol);
    label->setFixedSize(size + 2, size + 2);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

void setIcon(QLabel* label, const QString& symbol, int size, const QColor& colour) {
    label->setPixmap(BrowserIcons::pixmap(symbol, size, colour, label->devicePixelRatioF()));
    label->setProperty("symbol", symbol);
}

// The popover's surface: the panel colour with a thin outline.
class Popover : public QFrame {
public:
    explicit Popover(QWidget* parent) : QFrame(parent, Qt::Popup) {
        setAttribute(Qt::WA_DeleteOnClose);
        setFixedWidth(310);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), BrowserPalette::panel());
        painter.setPen(BrowserPalette::divider());
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

}  // namespace

SelectionStorageLocationView::SelectionStorageLocationView(LumivexStore& store,
                                                           const QColor& accent, QWidget* parent)
    : QWidget(parent), store_(store), accent_(accent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(7);
    column->addWidget(InspectorStyle::label(QStringLiteral("저장 위치"), 10,
                                            BrowserPalette::secondaryText(), this));
    button_ = new QWidget(this);
    button_->setToolTip(QStringLiteral("분류 정보가 저장되는 폴더 보기"));
    button_->setCursor(Qt::PointingHandCursor);
    button_->setFocusPolicy(Qt::TabFocus);
    button_->installEventFilter(this);
    new KeyActivation(*button_, [this] { click(); });
    auto* row = new QHBoxLayout(button_);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(7);
    leading_ = iconLabel(QStringLiteral("folder"), 12, accent_, button_);
    row->addWidget(leading_, 0, Qt::AlignTop);
    title_ = InspectorStyle::label(QString(), 11, accent_, button_);
    title_->setWordWrap(true);
    row->addWidget(title_, 1);
    trailing_ =
        iconLabel(QStringLiteral("arrow.up.right"), 9, BrowserPalette::secondaryText(), button_);
    row->addWidget(trailing_);
    column->addWidget(button_);
    connect(&store_, &LumivexStore::selectionChanged, this, [this] {
        if (popover_) {
            popover_->close();
        }
    });
    refresh();
}

void SelectionStorageLocationView::refresh() {
    // The store knows the selected items' folders: the items are counted only for the popover.
    const std::optional<QSet<QString>> folders = store_.optionFolders();
    folders_ = folders ? QStringList(folders->cbegin(), folders->cend()) : QStringList();
    icons_ = StorageLocations::icons(store_.source(), folders_.size());
    setIcon(leading_, icons_.leading, 12, accent_);
    setIcon(trailing_, icons_.trailing, 9, BrowserPalette::secondaryText());
    title_->setText(title());
}

QString SelectionStorageLocationView::title() const {
    return StorageLocations::title(store_.source(), QDir(store_.root()).dirName(), folders_);
}

void SelectionStorageLocationView::click() {
    if (store_.source() == LibrarySource::photos) {
        store_.showMetadataFolder();
    } else if (folders_.size() == 1) {
        store_.showFolder(folders_.first());
    } else if (popover_) {
        popover_->close();
    } else {
        showFolders();
    }
}

void SelectionStorageLocationView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton &&
        button_->geometry().contains(event->position().toPoint())) {
        click();
        return;
    }
    QWidget::mousePressEvent(event);
}

void SelectionStorageLocationView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QColor fill = accent_;
    fill.setAlphaF(0.055);
    InspectorStyle::paintRounded(painter, button_->geometry(), 6, fill);
    QStyleOptionFocusRect ring;
    ring.initFrom(button_);
    ring.rect = button_->geometry();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &ring, &painter, button_);
}

bool SelectionStorageLocationView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == button_ &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        update();
    }
    return QWidget::eventFilter(watched, event);
}

void SelectionStorageLocationView::showFolders() {
    auto* popover = new Popover(this);
    auto* column = new QVBoxLayout(popover);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(10);
    const QList<StorageLocations::Folder> folders =
        StorageLocations::folders(store_.selectedItems());
    column->addWidget(InspectorStyle::label(StorageLocations::popoverHeading(folders.size()), 12,
                                            BrowserPalette::primaryText(), popover,
                                            QFont::DemiBold));
    auto* list = new QWidget;
    auto* rows = new QVBoxLayout(list);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(3);
    const QString rootName = QDir(store_.root()).dirName();
    for (const StorageLocations::Folder& folder : folders) {
        rows->addWidget(folderRow(folder, rootName, list));
    }
    rows->addStretch(1);
    auto* scroll = new QScrollArea(popover);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidget(list);
    scroll->setFixedHeight(std::min(260, list->sizeHint().height()));
    column->addWidget(scroll);
    popover_ = popover;
    popover->adjustSize();
    const QRect anchor(mapToGlobal(button_->geometry().topLeft()), button_->size());
    WindowPlacement::placePopover(*popover, anchor.bottomLeft() + QPoint(0, 4), anchor);
    popover->show();
}

QWidget* SelectionStorageLocationView::folderRow(const StorageLocations::Folder& folder,
                                                 const QString& rootName, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setToolTip(folder.path.isEmpty() ? store_.root()
                                             : store_.root() + QLatin1Char('/') + folder.path);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(button);
    row->setContentsMargins(9, 9, 9, 9);
    row->setSpacing(9);
    row->addWidget(iconLabel(QStringLiteral("folder"), 12, accent_, button));
    QLabel* name = InspectorStyle::label(StorageLocations::rowTitle(rootName, folder.path), 11,
                                         BrowserPalette::primaryText(), button);
    name->setWordWrap(true);
    row->addWidget(name, 1);
    QLabel* count = InspectorStyle::label(QString::number(folder.items), 11,
                                          BrowserPalette::secondaryText(), button);
    count->setFont(BrowserFonts::system(11, QFont::Normal, BrowserFonts::Design::monospaced));
    row->addWidget(count);
    button->setMinimumHeight(row->sizeHint().height());
    const QString path = folder.path;
    connect(button, &QToolButton::clicked, this, [this, path] { store_.showFolder(path); });
    return button;
}

}  // namespace lumivex
