#include "browser/folder_menu_controller.h"

#include "browser/browser_fonts.h"
#include "browser/browser_palette.h"
#include "browser/folder_menu_row.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace lumivex {

namespace {

constexpr int rowHeight = 30;
constexpr int headerHeight = 34;
constexpr int maximumPanelHeight = 420;
constexpr int hoverDelayMs = 160;

QString lastComponent(const QString& path) {
    return path.section(QLatin1Char('/'), -1);
}

// The rounded, bordered surface of one level.
class MenuPanel : public QWidget {
public:
    explicit MenuPanel(QWidget* parent) : QWidget(parent) {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_DeleteOnClose);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    // Without a compositor the transparent corners would show black: cut them off.
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 10, 10);
        setMask(QRegion(path.toFillPolygon().toPolygon()));
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
        painter.fillPath(path, BrowserPalette::panel().lighter(118));
        painter.setPen(QPen(BrowserPalette::white(0.12), 1));
        painter.drawPath(path);
    }
};

QList<FolderMenuController::Entry> childEntries(const std::vector<FolderFilterNode>& nodes) {
    QList<FolderMenuController::Entry> entries;
    for (const FolderFilterNode& node : nodes) {
        entries.append(
            {lastComponent(node.path), node.path, node.children, QStringLiteral("folder"), 0});
    }
    return entries;
}

}  // namespace

FolderMenuController::FolderMenuController(QObject* parent) : QObject(parent) {
    hoverTimer_.setSingleShot(true);
    hoverTimer_.setInterval(hoverDelayMs);
    connect(&hoverTimer_, &QTimer::timeout, this, [this] { expand(hoverDepth_, hoverIndex_); });
}

FolderMenuController::~FolderMenuController() {
    close();
}

void FolderMenuController::configure(const std::vector<FolderFilterNode>& nodes,
                                     const std::optional<QString>& selection, Select select) {
    if (isOpen() && (options_ || nodes != nodes_ || selection != selection_)) {
        close();
    }
    nodes_ = nodes;
    options_.reset();
    rootTitle_ = QStringLiteral("폴더 선택");
    rootSeparator_ = true;
    rootEntries_ = {
        {QStringLiteral("모든 폴더"), std::nullopt, {}, QStringLiteral("square.grid.2x2"), 0},
        {QStringLiteral("선택한 폴더만"), QString(), {}, QStringLiteral("folder"), 0}};
    rootEntries_.append(childEntries(nodes));
    selection_ = selection;
    select_ = std::move(select);
}

void FolderMenuController::configure(const QList<FilterMenuOption>& options, const QString& title,
                                     const std::optional<QString>& selection, Select select) {
    const bool sameOptions = options_ && options == *options_;
    if (isOpen() && (!sameOptions || selection != selection_)) {
        close();
    }
    // Every commit configures the menu again: a property's thousands of values, unchanged, keep
    // their entries.
    rootTitle_ = title;
    if (!sameOptions) {
        options_ = options;
        rootSeparator_ = false;
        rootEntries_.clear();
        for (const FilterMenuOption& option : options) {
            rootEntries_.append(
                {option.title, option.value, {}, option.symbol, option.indentation});
        }
    }
    selection_ = selection;
    select_ = std::move(select);
}

void FolderMenuController::toggle() {
    if (isOpen()) {
        close();
        return;
    }
    if (!anchor_ || !anchor_->window() || !anchor_->isVisible()) {
        return;
    }
    const QRect anchorRect(anchor_->mapToGlobal(QPoint(0, 0)), anchor_->size());
    appendLevel(rootEntries_, std::nullopt, anchorRect, true);
    installDismissal();
}

void FolderMenuController::close() {
    hoverTimer_.stop();
    removeLevels(0);
    removeDismissal();
}

QWidget* FolderMenuController::panel(qsizetype depth) const {
    return depth < levels_.size() ? levels_[depth].panel.data() : nullptr;
}

QList<FolderMenuRow*> FolderMenuController::rows(qsizetype depth) const {
    return depth < levels_.size() ? levels_[depth].rows : QList<FolderMenuRow*>();
}

bool FolderMenuController::ownsWindow(const QWidget* window) const {
    return std::any_of(levels_.begin(), levels_.end(),
                       [window](const Level& level) { return level.panel == window; });
}

void FolderMenuController::appendLevel(const QList<Entry>& entries,
                                       const std::optional<QString>& parentPath,
                                       const QRect& anchorRect, bool root) {
    const QScreen* screen =
        anchor_ && anchor_->screen() ? anchor_->screen() : QGuiApplication::primaryScreen();
    const QRect usable =
        (screen ? screen->availableGeometry() : QRect(0, 0, 1440, 900)).adjusted(8, 8, -8, -8);
    const QFontMetricsF metrics(BrowserFonts::system(12));
    double widest = 0;
    for (const Entry& entry : entries) {
        widest =
            std::max(widest, 16.0 * entry.indentation + metrics.horizontalAdvance(entry.title));
    }
    const int width =
        std::clamp(entries.isEmpty() ? 236 : static_cast<int>(std::ceil(widest + 76)), 220, 300);
    const int gap = root && rootSeparator_ ? 9 : 0;
    const int contentHeight = rowHeight * static_cast<int>(entries.size()) + 8 + gap;
    const int height =
        std::min({contentHeight + headerHeight, maximumPanelHeight, usable.height()});
    int x = anchorRect.left();
    if (!root) {
        x = anchorRect.right();
        if (x + width > usable.right() + 1) {
            x = anchorRect.left() - width + 1;
        }
    }
    x = std::min(std::max(x, usable.left()), usable.right() + 1 - width);
    int top = root ? anchorRect.bottom() + 1 + 5 : anchorRect.top() - headerHeight - 4;
    top = std::max(std::min(top, usable.bottom() + 1 - height), usable.top());
    Level level;
    level.entries = entries;
    level.parentPath = parentPath;
    level.panel = makePanel(QRect(x, top, width, height), root, parentPath);
    level.scroll = level.panel->findChild<QScrollArea*>();
    const int depth = static_cast<int>(levels_.size());
    levels_.append(level);
    addRows(levels_.last(), depth, contentHeight, gap, root);
    levels_.last().panel->show();
    focusedDepth_ = depth;
    focusedIndex_ = 0;
}

QWidget* FolderMenuController::makePanel(const QRect& frame, bool root,
                                         const std::optional<QString>& parentPath) {
    QWidget* parentWindow = levels_.isEmpty() ? anchor_->window() : levels_.last().panel.data();
    auto* panel = new MenuPanel(parentWindow);
    panel->setGeometry(frame);
    const QString title =
        root ? rootTitle_ : (parentPath ? lastComponent(*parentPath) : QStringLiteral("하위폴더"));
    auto* header = new QLabel(panel);
    header->setFont(BrowserFonts::system(10, QFont::Medium));
    header->setStyleSheet(
        QStringLiteral("color: %1").arg(BrowserPalette::secondaryText().name(QColor::HexArgb)));
    header->setGeometry(13, 10, frame.width() - 26, 15);
    // Shortened as the rows are, so that both ends of a long folder name stay readable.
    header->setText(
        header->fontMetrics().elidedText(title, Qt::ElideMiddle, header->contentsRect().width()));
    header->setAccessibleName(title);
    auto* scroll = new QScrollArea(panel);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->viewport()->setAutoFillBackground(false);
    scroll->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    scroll->setGeometry(0, headerHeight, frame.width(), frame.height() - headerHeight);
    return panel;
}

void FolderMenuController::addRows(Level& level, int depth, int contentHeight, int gap, bool root) {
    const int width = level.panel->width();
    auto* document = new FolderMenuDocument;
    document->resize(width, contentHeight);
    for (int index = 0; index < level.entries.size(); ++index) {
        const Entry& entry = level.entries[index];
        auto* row = new FolderMenuRow(document);
        row->setGeometry(4, rowHeight * index + 4 + (index > 1 ? gap : 0), width - 8, rowHeight);
        row->setText(entry.title);
        row->setSymbol(entry.symbol);
        row->setIndentation(entry.indentation);
        row->setHasChildren(!entry.children.empty());
        row->setCheckMark(entry.path == selection_);
        if (rootSeparator_) {
            if (entry.path) {
                row->setToolTip(entry.path->isEmpty()
                                    ? QStringLiteral("하위폴더 제외")
                                    : *entry.path +
                                          QStringLiteral(" · 클릭하면 하위폴더까지 표시"));
            }
        } else {
            row->setToolTip(entry.title);
        }
        row->setAccessibleName(entry.title);
        row->setAccessibleDescription(
            entry.children.empty()
                ? QStringLiteral("클릭하여 선택")
                : QStringLiteral("클릭하여 하위폴더까지 선택. 오른쪽 화살표로 하위폴더 탐색"));
        QPointer<FolderMenuController> self(this);
        connect(row, &FolderMenuRow::clicked, this, [self, depth, index] {
            if (self) {
                self->choose(depth, index);
            }
        });
        connect(row, &FolderMenuRow::entered, this, [self, depth, index] {
            if (self) {
                self->hover(depth, index);
            }
        });
        level.rows.append(row);
    }
    if (root && rootSeparator_) {
        auto* separator = new QFrame(document);
        separator->setFrameShape(QFrame::HLine);
        separator->setStyleSheet(
            QStringLiteral("color: %1").arg(BrowserPalette::divider().name(QColor::HexArgb)));
        separator->setGeometry(12, 68, width - 24, 1);
    }
    level.scroll->setWidget(document);
    document->setAutoFillBackground(false);
    connect(level.scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, depth] {
        hoverTimer_.stop();
        removeLevels(depth + 1);
    });
}

void FolderMenuController::installDismissal() {
    if (dismissalInstalled_) {
        return;
    }
    dismissalInstalled_ = true;
    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive) {
                    close();
                }
            });
    connect(qApp, &QGuiApplication::focusWindowChanged, this,
            &FolderMenuController::activeWindowChanged);
}

void FolderMenuController::removeDismissal() {
    if (!dismissalInstalled_) {
        return;
    }
    dismissalInstalled_ = false;
    qApp->removeEventFilter(this);
    disconnect(qApp, nullptr, this, nullptr);
}

// A dialog or another window taking the focus ends the menu, so keys typed there never choose
// a filter.
void FolderMenuController::activeWindowChanged(QWindow* focus) {
    if (!focus || (anchor_ && anchor_->window()->windowHandle() == focus)) {
        return;
    }
    const bool own = std::any_of(levels_.begin(), levels_.end(), [focus](const Level& level) {
        return level.panel && level.panel->windowHandle() == focus;
    });
    if (!own) {
        close();
    }
}

void FolderMenuController::removeLevels(qsizetype depth) {
    if (depth >= levels_.size()) {
        return;
    }
    for (qsizetype index = levels_.size() - 1; index >= depth; --index) {
        if (QWidget* panel = levels_[index].panel) {
            panel->hide();
            panel->deleteLater();
        }
    }
    levels_.resize(depth);
    if (focusedDepth_ >= levels_.size()) {
        focusedDepth_ = levels_.isEmpty() ? 0 : static_cast<int>(levels_.size()) - 1;
        focusedIndex_ = levels_.isEmpty() ? 0 : firstHighlighted(focusedDepth_);
    }
}

void FolderMenuController::choose(int depth, int index) {
    if (depth >= levels_.size() || index < 0 || index >= levels_[depth].entries.size()) {
        return;
    }
    const std::optional<QString> path = levels_[depth].entries[index].path;
    close();
    select_(path);
}

void FolderMenuController::hover(int depth, int index) {
    if (depth >= levels_.size()) {
        return;
    }
    hoverTimer_.stop();
    focusedDepth_ = depth;
    focusedIndex_ = index;
    highlightOnly(depth, index);
    hoverDepth_ = depth;
    hoverIndex_ = index;
    hoverTimer_.start();
}

void FolderMenuController::expand(int depth, int index) {
    if (depth >= levels_.size() || index < 0 || index >= levels_[depth].entries.size()) {
        return;
    }
    const Entry entry = levels_[depth].entries[index];
    if (depth + 1 < levels_.size() && levels_[depth + 1].parentPath == entry.path) {
        return;
    }
    removeLevels(depth + 1);
    if (entry.children.empty()) {
        return;
    }
    const Level& parent = levels_[depth];
    const FolderMenuRow* row = parent.rows[index];
    const QPoint rowTop = row->mapToGlobal(QPoint(0, 0));
    const QRect panelFrame = parent.panel->geometry();
    const QRect anchorRect(panelFrame.left(), rowTop.y(), panelFrame.width(), row->height());
    appendLevel(childEntries(entry.children), entry.path, anchorRect, false);
    focusedDepth_ = depth;
    focusedIndex_ = index;
}

void FolderMenuController::highlightOnly(int depth, int index) {
    const QList<FolderMenuRow*>& rows = levels_[depth].rows;
    for (int other = 0; other < rows.size(); ++other) {
        rows[other]->setMenuHighlighted(other == index);
    }
}

int FolderMenuController::firstHighlighted(qsizetype depth) const {
    const QList<FolderMenuRow*>& rows = levels_[depth].rows;
    const auto found = std::find_if(
        rows.begin(), rows.end(), [](const FolderMenuRow* row) { return row->menuHighlighted(); });
    return found == rows.end() ? 0 : static_cast<int>(found - rows.begin());
}

bool FolderMenuController::handleKey(int key) {
    if (!isOpen()) {
        return false;
    }
    hoverTimer_.stop();
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            choose(focusedDepth_, focusedIndex_);
            return true;
        case Qt::Key_Tab:
            close();
            return false;
        case Qt::Key_Escape:
            close();
            return true;
        case Qt::Key_Down:
            moveFocus(1);
            return true;
        case Qt::Key_Up:
            moveFocus(-1);
            return true;
        case Qt::Key_Left:
            focusParent();
            return true;
        case Qt::Key_Right:
            enterChild();
            return true;
        default:
            return false;
    }
}

void FolderMenuController::moveFocus(int step) {
    const Level& level = levels_[focusedDepth_];
    const int count = static_cast<int>(level.rows.size());
    if (count == 0) {
        return;
    }
    focusedIndex_ = (focusedIndex_ + step + count) % count;
    removeLevels(focusedDepth_ + 1);
    highlightOnly(focusedDepth_, focusedIndex_);
    FolderMenuRow* row = levels_[focusedDepth_].rows[focusedIndex_];
    levels_[focusedDepth_].scroll->ensureWidgetVisible(row, 0, 0);
}

void FolderMenuController::focusParent() {
    if (focusedDepth_ == 0) {
        return;
    }
    const int parent = focusedDepth_ - 1;
    removeLevels(focusedDepth_);
    focusedDepth_ = parent;
    focusedIndex_ = firstHighlighted(parent);
}

void FolderMenuController::enterChild() {
    const int depth = focusedDepth_;
    expand(depth, focusedIndex_);
    if (depth + 1 < levels_.size()) {
        focusedDepth_ = depth + 1;
        focusedIndex_ = 0;
        highlightOnly(focusedDepth_, 0);
    }
}

bool FolderMenuController::ownsKeyTarget(QObject* watched) const {
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !anchor_) {
        return false;
    }
    const QWidget* window = widget->window();
    return window == anchor_->window() || ownsWindow(window);
}

bool FolderMenuController::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress: {
            if (!isOpen() || !ownsKeyTarget(watched)) {
                return false;
            }
            auto* key = static_cast<QKeyEvent*>(event);
            if (event->type() == QEvent::ShortcutOverride) {
                static const QList<int> taken{Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space,
                                              Qt::Key_Escape, Qt::Key_Down,  Qt::Key_Up,
                                              Qt::Key_Left,   Qt::Key_Right};
                if (taken.contains(key->key())) {
                    event->accept();
                    return true;
                }
                return false;
            }
            return handleKey(key->key());
        }
        case QEvent::MouseButtonPress:
        case QEvent::Wheel:
            dismissOnPointer(watched, event);
            return false;
        default:
            return false;
    }
}

// A press or wheel turn outside the menu closes it and still reaches its target; a press on the
// picker button is left to the button, whose own action closes the menu once.
void FolderMenuController::dismissOnPointer(QObject* watched, QEvent* event) {
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!isOpen() || !widget || ownsWindow(widget->window())) {
        return;
    }
    if (event->type() == QEvent::MouseButtonPress && anchor_) {
        const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        if (anchor_->rect().contains(anchor_->mapFromGlobal(global))) {
            return;
        }
    }
    close();
}

}  // namespace lumivex
