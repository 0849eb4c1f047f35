#include "browser/sidebar_section.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "browser/sidebar_rows.h"
#include "browser/window_state.h"

#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace lumivex {

namespace {

QLabel* sectionTitle(const QString& title, QWidget* parent) {
    auto* label = new QLabel(title, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(BrowserFonts::system(10, QFont::DemiBold));
    label->setStyleSheet(QStringLiteral("color: %1; padding: 0 10px 4px 10px;")
                             .arg(BrowserPalette::secondaryText().name(QColor::HexArgb)));
    return label;
}

bool hasLengthRows(const SidebarPlan::Section& section) {
    return std::any_of(section.rows.begin(), section.rows.end(),
                       [](const SidebarPlan::Row& row) { return row.nested; });
}

bool sameRowShapes(const SidebarPlan::Section& a, const SidebarPlan::Section& b) {
    if (a.rowCount() != b.rowCount()) {
        return false;
    }
    for (qsizetype i = 0; i < a.rowCount(); ++i) {
        if (!a.row(i).sameShape(b.row(i))) {
            return false;
        }
    }
    return true;
}

}  // namespace

SidebarSection::SidebarSection(SidebarPlan::Section plan, WindowState& state, QWidget* parent)
    : QWidget(parent), state_(state), plan_(std::move(plan)) {
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(plan_.spacing);
    addHeading();
    firstRow_ = layout_->count();
    QVBoxLayout* lengths = nullptr;
    for (qsizetype i = 0; i < plan_.rowCount(); ++i) {
        const SidebarPlan::Row row = plan_.row(i);
        if (!row.nested) {
            lengths = nullptr;
        } else if (!lengths) {
            lengths = new QVBoxLayout;
            lengths->setContentsMargins(18, 0, 0, 0);
            lengths->setSpacing(2);
            layout_->addLayout(lengths);
        }
        NavRow* made = makeRow(row);
        (lengths ? lengths : layout_)->addWidget(made);
        rows_.append(made);
    }
}

void SidebarSection::addHeading() {
    if (plan_.property.isNull()) {
        layout_->addWidget(sectionTitle(plan_.title, this));
    } else {
        auto* header = new QHBoxLayout;
        header->addWidget(sectionTitle(plan_.title, this));
        header->addStretch(1);
        if (plan_.renamable) {
            auto* rename = new QToolButton(this);
            rename->setAutoRaise(true);
            rename->setIcon(
                BrowserIcons::icon(QStringLiteral("pencil"), BrowserPalette::secondaryText()));
            rename->setIconSize(QSize(10, 10));
            rename->setToolTip(QStringLiteral("분류 이름 변경"));
            // The property as last shown, with the options it has gained since the section was
            // made.
            connect(rename, &QToolButton::clicked, this,
                    [this] { state_.openCategorySheet(plan_.renamable); });
            header->addWidget(rename);
        }
        layout_->addLayout(header);
    }
    if (plan_.hint) {
        auto* hint = new QLabel(QStringLiteral("파일을 선택해 직접 지정하세요"), this);
        hint->setFont(BrowserFonts::system(11));
        hint->setStyleSheet(QStringLiteral("color: %1; padding: 4px 10px;")
                                .arg(BrowserPalette::tertiaryText().name(QColor::HexArgb)));
        layout_->addWidget(hint);
    }
}

NavRow* SidebarSection::makeRow(const SidebarPlan::Row& plan) {
    auto* row = new NavRow(plan.title, plan.icon, plan.count, plan.selected);
    if (!plan.count) {
        row->setToolTip(plan.title);
    }
    if (plan.action) {
        connect(row, &NavRow::clicked, this, plan.action);
    } else {
        // The section as last shown chooses: the row's value is its title.
        connect(row, &NavRow::clicked, this, [this, row] { plan_.choose(row->text()); });
    }
    return row;
}

bool SidebarSection::follow(SidebarPlan::Section& plan) {
    if (!plan_.sameHeading(plan)) {
        return false;
    }
    if (plan_.sameRows(plan)) {
        // The new plan's choice and rename go to the same property: only they are taken.
        plan_.choose = std::move(plan.choose);
        plan_.renamable = std::move(plan.renamable);
        return true;
    }
    if (sameRowShapes(plan_, plan)) {
        setStates(plan);
    } else if (hasLengthRows(plan_) || hasLengthRows(plan) || !placeRows(plan)) {
        return false;
    }
    plan_ = std::move(plan);
    return true;
}

void SidebarSection::setStates(const SidebarPlan::Section& plan) {
    for (qsizetype i = 0; i < rows_.size(); ++i) {
        const SidebarPlan::Row row = plan.row(i);
        rows_[i]->setState(row.count, row.selected);
    }
}

// A row's title names it within its section, and a row of the same title and shape does what
// the new one would on a click, so it stays with its connection. Rows that moved are taken out of
// the layout and put back at their new place; the rest of the layout is left alone.
bool SidebarSection::placeRows(const SidebarPlan::Section& plan) {
    QHash<QString, qsizetype> shown;
    shown.reserve(rows_.size());
    std::vector<SidebarPlan::Row> before;
    before.reserve(static_cast<std::size_t>(rows_.size()));
    for (qsizetype i = 0; i < rows_.size(); ++i) {
        before.push_back(plan_.row(i));
        shown.insert(before.back().title, i);
    }
    if (shown.size() != rows_.size()) {
        return false;
    }
    std::vector<bool> kept(rows_.size(), false);
    QList<NavRow*> next(plan.rowCount(), nullptr);
    for (qsizetype i = 0; i < next.size(); ++i) {
        const SidebarPlan::Row row = plan.row(i);
        const auto found = shown.constFind(row.title);
        if (found != shown.cend() && !kept[*found] &&
            before[static_cast<std::size_t>(*found)].sameShape(row)) {
            kept[*found] = true;
            next[i] = rows_[*found];
            next[i]->setState(row.count, row.selected);
        }
    }
    for (qsizetype i = 0; i < rows_.size(); ++i) {
        if (!kept[i]) {
            layout_->removeWidget(rows_[i]);
            rows_[i]->hide();
            rows_[i]->deleteLater();
        }
    }
    for (qsizetype i = 0; i < next.size(); ++i) {
        const int place = firstRow_ + static_cast<int>(i);
        if (!next[i]) {
            next[i] = makeRow(plan.row(i));
            layout_->insertWidget(place, next[i]);
        } else if (layout_->itemAt(place)->widget() != next[i]) {
            layout_->removeWidget(next[i]);
            layout_->insertWidget(place, next[i]);
        }
    }
    rows_ = std::move(next);
    return true;
}

}  // namespace lumivex
