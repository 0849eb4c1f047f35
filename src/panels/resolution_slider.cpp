#include "panels/resolution_slider.h"

#include "media_views/view_style.h"
#include "panels/discrete_settings_slider.h"
#include "platform/lumivex_settings.h"
#include "store/lumivex_theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace lumivex {

namespace {

QStringList stopLabels() {
    QStringList labels;
    for (const std::int64_t pixels : LumivexSettings::resolutions) {
        labels.append(QString::number(pixels));
    }
    return labels;
}

}  // namespace

ResolutionSlider::ResolutionSlider(const QString& title, Binding pixels, QWidget* parent)
    : QWidget(parent), pixels_(std::move(pixels)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 4, 0, 4);
    column->setSpacing(8);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(title, this));
    row->addStretch(1);
    value_ = new QLabel(this);
    ViewStyle::makeSecondary(value_);
    row->addWidget(value_);
    column->addLayout(row);
    slider_ = new DiscreteSettingsSlider(
        {[this] { return static_cast<double>(indexOf(pixels_.read())); },
         [this](double index) {
             pixels_.write(pixelsAt(index));
             refresh();
         }},
        static_cast<int>(LumivexSettings::resolutions.size()), stopLabels(),
        title + QStringLiteral(" 미리보기 해상도"),
        [this] {
            return QString::number(LumivexSettings::offeredResolution(pixels_.read())) +
                   QStringLiteral("픽셀");
        },
        LumivexTheme::accent(), this);
    column->addWidget(slider_);
    refresh();
}

int ResolutionSlider::indexOf(std::int64_t pixels) {
    const auto& stops = LumivexSettings::resolutions;
    const auto found = std::find(stops.begin(), stops.end(), pixels);
    return found == stops.end() ? 2 : static_cast<int>(found - stops.begin());
}

std::int64_t ResolutionSlider::pixelsAt(double index) {
    const int last = static_cast<int>(LumivexSettings::resolutions.size()) - 1;
    const double stop = std::isfinite(index) ? std::clamp(std::round(index), 0.0, 1.0 * last) : 2;
    return LumivexSettings::resolutions[static_cast<std::size_t>(stop)];
}

void ResolutionSlider::refresh() {
    value_->setText(QString::number(LumivexSettings::offeredResolution(pixels_.read())) +
                    QStringLiteral("px"));
    slider_->refresh();
}

QString ResolutionSlider::valueText() const {
    return value_->text();
}

}  // namespace lumivex
