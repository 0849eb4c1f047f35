#include "panels/utility_panel_header.h"

#include "media_views/view_style.h"
#include "panels/panel_symbol.h"
#include "panels/round_button.h"
#include "panels/utility_palette.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QShortcut>

namespace lumivex {

UtilityPanelHeader::UtilityPanelHeader(const QString& title, const QString& symbol,
                                       std::function<void()> onClose, QWidget* parent)
    : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    row->addWidget(PanelSymbol::label(symbol, 20, UtilityPalette::mint(), this));
    auto* titleLabel = new QLabel(title, this);
    titleLabel->setFont(ViewStyle::systemFont(19, QFont::DemiBold));
    titleLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(titleLabel, 1);
    close_ = new RoundButton(QStringLiteral("xmark"), 28, this);
    close_->setToolTip(QStringLiteral("닫기 · Esc"));
    close_->setAccessibleName(QStringLiteral("닫기"));
    connect(close_, &QPushButton::clicked, this, [onClose] { onClose(); });
    // Escape closes at once, where the button's own shortcut would wait for its click animation.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [onClose = std::move(onClose)] { onClose(); });
    row->addWidget(close_);
}

}  // namespace lumivex
