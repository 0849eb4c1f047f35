#include "panels/shortcut_help_view.h"

#include "media_views/view_style.h"
#include "panels/panel_symbol.h"
#include "panels/rounded_panel.h"
#include "panels/utility_palette.h"
#include "panels/utility_panel_header.h"
#include "platform/lumivex_settings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace lumivex {

namespace {

// One key cap: a faint rounded box holding one text, however many symbols it has.
QWidget* keyCap(const QString& text, QWidget* parent) {
    auto* cap =
        new RoundedPanel(UtilityPalette::white(0.065), UtilityPalette::white(0.08), 5, parent);
    auto* layout = new QHBoxLayout(cap);
    layout->setContentsMargins(7, 3, 7, 3);
    auto* label = new QLabel(text, cap);
    QFont font = ViewStyle::systemFont(11, QFont::Medium);
    font.setStyleHint(QFont::Monospace);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    ViewStyle::setTextColour(label, UtilityPalette::white(0.82));
    layout->addWidget(label);
    cap->setMinimumSize(24, 23);
    return cap;
}

const QString arrows = QStringLiteral("\u2190 \u2191 \u2193 \u2192");

}  // namespace

ShortcutHelpView::ShortcutHelpView(UserDefaults& defaults, std::function<void()> onClose,
                                   QWidget* parent)
    : QWidget(parent), settings_(new LumivexSettings(defaults, this)) {
    setFixedSize(560, 620);
    setWindowTitle(QStringLiteral("단축키"));
    setPalette(ViewStyle::darkPalette(palette()));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(18);
    column->addWidget(new UtilityPanelHeader(windowTitle(), QStringLiteral("keyboard"),
                                             std::move(onClose), this));
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget(scroll);
    content->setAutoFillBackground(false);
    auto* sections = new QVBoxLayout(content);
    sections->setContentsMargins(0, 0, 0, 0);
    sections->setSpacing(12);

    QVBoxLayout* rows =
        section(sections, QStringLiteral("목록"), QStringLiteral("square.grid.2x2"));
    row(rows, QStringLiteral("선택 이동"), QStringLiteral("하나 선택 시"), {arrows});
    row(rows, QStringLiteral("별점"), QStringLiteral("하나 선택 시 · 0은 지우기"),
        {QStringLiteral("0\u20135")});
    row(rows, QStringLiteral("현재 목록 모두 선택"), {},
        {QStringLiteral("Ctrl"), QStringLiteral("A")});
    row(rows, QStringLiteral("미리보기"), {}, {QStringLiteral("Space")});
    row(rows, QStringLiteral("삭제"), {}, {QStringLiteral("Delete")});
    row(rows, QStringLiteral("실행 취소 / 다시 실행"), {},
        {QStringLiteral("Ctrl+Z"), QStringLiteral("Ctrl+Shift+Z")});

    rows = section(sections, QStringLiteral("미리보기"),
                   QStringLiteral("arrow.up.left.and.arrow.down.right"));
    row(rows, QStringLiteral("별점 · 0은 지우기"), {}, {QStringLiteral("0\u20135")});
    row(rows, QStringLiteral("이전 / 다음"), {}, {QStringLiteral(","), QStringLiteral(".")});
    row(rows, QStringLiteral("목록의 방향대로 이동"), {}, {QStringLiteral("Ctrl"), arrows});
    row(rows, QStringLiteral("닫기"), {}, {QStringLiteral("Esc")});

    rows = section(sections, QStringLiteral("영상"), QStringLiteral("play.rectangle"));
    skipRow_ = row(rows, QString(), {}, {QStringLiteral("\u2190"), QStringLiteral("\u2192")});
    row(rows, QStringLiteral("음량 5% 조절"), {},
        {QStringLiteral("\u2191"), QStringLiteral("\u2193")});
    row(rows, QStringLiteral("재생 / 일시정지"), {}, {QStringLiteral("Space")});
    sections->addStretch(1);

    scroll->setWidget(content);
    column->addWidget(scroll, 1);
    connect(settings_, &LumivexSettings::videoSkipSecondsChanged, this,
            &ShortcutHelpView::refreshSkipRow);
    refreshSkipRow();
}

QString ShortcutHelpView::skipTitle(std::int64_t storedSeconds) {
    const std::int64_t seconds = LumivexSettings::isSkipInterval(storedSeconds) ? storedSeconds : 5;
    return QString::number(seconds) + QStringLiteral("초 뒤로 / 앞으로");
}

QString ShortcutHelpView::skipRowTitle() const {
    return skipRow_->text();
}

void ShortcutHelpView::refreshSkipRow() {
    skipRow_->setText(skipTitle(settings_->videoSkipSeconds()));
}

// Adds a titled section to `sections` and returns the layout of its rows.
QVBoxLayout* ShortcutHelpView::section(QVBoxLayout* sections, const QString& title,
                                       const QString& symbol) {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(11);
    auto* labelRow = new QHBoxLayout;
    labelRow->setSpacing(6);
    labelRow->addWidget(PanelSymbol::label(symbol, 12, UtilityPalette::mint(), box));
    auto* text = new QLabel(title, box);
    text->setFont(ViewStyle::systemFont(12, QFont::DemiBold));
    ViewStyle::setTextColour(text, UtilityPalette::mint());
    labelRow->addWidget(text);
    labelRow->addStretch(1);
    column->addLayout(labelRow);
    auto* panel = new RoundedPanel(UtilityPalette::panel(), UtilityPalette::white(0.045), 10, box);
    auto* rows = new QVBoxLayout(panel);
    rows->setContentsMargins(15, 15, 15, 15);
    rows->setSpacing(9);
    column->addWidget(panel);
    sections->addWidget(box);
    return rows;
}

// The row's title label; the caps follow it after a spacer, one per key text in order.
QLabel* ShortcutHelpView::row(QVBoxLayout* rows, const QString& title, const QString& detail,
                              const QStringList& keys) {
    QWidget* panel = rows->parentWidget();
    auto* line = new QWidget(panel);
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto* titleLabel = new QLabel(title, line);
    titleLabel->setFont(ViewStyle::systemFont(12));
    layout->addWidget(titleLabel);
    if (!detail.isEmpty()) {
        layout->addSpacing(2);
        auto* detailLabel = new QLabel(detail, line);
        detailLabel->setFont(ViewStyle::systemFont(10));
        ViewStyle::setTextColour(detailLabel, UtilityPalette::secondaryText());
        layout->addWidget(detailLabel);
    }
    layout->addStretch(1);
    layout->addSpacing(8);
    for (const QString& key : keys) {
        layout->addWidget(keyCap(key, line));
    }
    rows->addWidget(line);
    return titleLabel;
}

void ShortcutHelpView::paintEvent(QPaintEvent*) {
    UtilityPalette::paintPanelBackground(*this);
}

}  // namespace lumivex
