#include "panels/lumivex_settings_view.h"

#include "media_views/lumivex_access_settings_view.h"
#include "media_views/view_style.h"
#include "panels/discrete_settings_slider.h"
#include "panels/resolution_slider.h"
#include "panels/video_skip_seconds_control.h"
#include "platform/app_brand.h"
#include "platform/lumivex_settings.h"
#include "store/lumivex_theme.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace lumivex {

namespace {

constexpr double minimumCard = 160;
constexpr double cardStep = 10;

QLabel* caption(const QString& text, QWidget* parent) {
    QLabel* label = ViewStyle::wrappingLabel(text, parent);
    label->setFont(ViewStyle::caption());
    ViewStyle::makeSecondary(label);
    return label;
}

QGroupBox* section(const QString& title, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* column = new QVBoxLayout(box);
    column->setSpacing(8);
    return box;
}

// The card size as a whole number; a stored value no integer holds shows a dash.
QString wholeNumber(double value) {
    if (!std::isfinite(value) || std::abs(value) >= 9.0e18) {
        return QStringLiteral("\u2014");
    }
    return QString::number(static_cast<qint64>(std::trunc(value)));
}

}  // namespace

LumivexSettingsView::LumivexSettingsView(UserDefaults& defaults, PhotoLibrary& photos,
                                         LumivexPhotoAccessGuide& guide,
                                         std::function<void()> chooseLibrary, QWidget* parent)
    : QWidget(parent, Qt::Dialog), settings_(new LumivexSettings(defaults, this)) {
    setWindowTitle(AppBrand::name() + QStringLiteral(" 설정"));
    setFixedSize(540, 660);
    setPalette(ViewStyle::darkPalette(palette()));
    setAutoFillBackground(true);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    tabs_ = new QTabWidget(this);
    tabs_->addTab(generalPage(), QStringLiteral("일반"));
    tabs_->addTab(new LumivexAccessSettingsView(photos, guide, std::move(chooseLibrary), tabs_),
                  QStringLiteral("권한"));
    column->addWidget(tabs_);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
    connect(settings_, &LumivexSettings::changed, this, &LumivexSettingsView::refresh);
    connect(settings_, &LumivexSettings::videoSkipSecondsChanged, this,
            &LumivexSettingsView::skipSecondsChanged);
    refresh();
}

void LumivexSettingsView::addUpdatePage(QWidget* page) {
    tabs_->insertTab(2, page, QStringLiteral("업데이트"));
}

// A form taller than the window scrolls, as a grouped form does.
QWidget* LumivexSettingsView::generalPage() {
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* page = new QWidget(scroll);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(20, 16, 20, 16);
    column->setSpacing(12);
    column->addWidget(playbackSection(page));
    column->addWidget(resolutionSection(page));
    column->addWidget(screenSection(page));
    column->addWidget(lastRow(page));
    column->addStretch(1);
    scroll->setWidget(page);
    return scroll;
}

QWidget* LumivexSettingsView::playbackSection(QWidget* parent) {
    QGroupBox* box = section(QStringLiteral("영상 재생"), parent);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("건너뛰기 시간"), box));
    row->addStretch(1);
    skip_ = new VideoSkipSecondsControl(
        {[this] { return settings_->videoSkipSeconds(); },
         [this](std::int64_t seconds) { settings_->setVideoSkipSeconds(seconds); }},
        box);
    row->addWidget(skip_);
    box->layout()->addItem(row);
    box->layout()->addWidget(caption(
        QStringLiteral("영상 재생 중 ←/→로 설정한 시간만큼 이동합니다. 기본 5초이며 1~3,600초로 "
                       "설정할 수 있습니다. Space는 재생/일시정지입니다."),
        box));
    return box;
}

QWidget* LumivexSettingsView::resolutionSection(QWidget* parent) {
    QGroupBox* box = section(QStringLiteral("목록 미리보기 화질"), parent);
    photosPixels_ =
        new ResolutionSlider(QStringLiteral("사진 보관함"),
                             {[this] { return settings_->photosPixels(); },
                              [this](std::int64_t pixels) { settings_->setPhotosPixels(pixels); }},
                             box);
    box->layout()->addWidget(photosPixels_);
    folderPixels_ =
        new ResolutionSlider(QStringLiteral("일반 폴더"),
                             {[this] { return settings_->folderPixels(); },
                              [this](std::int64_t pixels) { settings_->setFolderPixels(pixels); }},
                             box);
    box->layout()->addWidget(folderPixels_);
    box->layout()->addWidget(
        caption(QStringLiteral("각 설정은 앱 전체에 적용됩니다. 해상도가 높을수록 목록이 "
                               "선명해지고 로딩·메모리 사용량이 늘어납니다."),
                box));
    return box;
}

QWidget* LumivexSettingsView::screenSection(QWidget* parent) {
    QGroupBox* box = section(QStringLiteral("화면"), parent);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("카드 크기"), box));
    row->addStretch(1);
    cardSize_ = new QLabel(box);
    ViewStyle::makeSecondary(cardSize_);
    row->addWidget(cardSize_);
    box->layout()->addItem(row);
    cardSlider_ = new DiscreteSettingsSlider(
        {[this] { return (settings_->cardSize() - minimumCard) / cardStep; },
         [this](double index) { settings_->setCardSize(index * cardStep + minimumCard); }},
        14, {}, QStringLiteral("카드 크기"), [this] { return cardSizeText(); },
        LumivexTheme::accent(), box);
    box->layout()->addWidget(cardSlider_);
    box->layout()->addWidget(
        caption(QStringLiteral("목록 아래의 크기 조절과 연동하며 다음 실행에도 유지됩니다."), box));
    return box;
}

QWidget* LumivexSettingsView::lastRow(QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(4, 0, 4, 0);
    QLabel* note = caption(QStringLiteral("변경 사항은 바로 적용됩니다."), row);
    note->setWordWrap(false);
    layout->addWidget(note);
    layout->addStretch(1);
    auto* reset = new QPushButton(QStringLiteral("기본값으로"), row);
    connect(reset, &QPushButton::clicked, this, &LumivexSettingsView::restoreDefaults);
    layout->addWidget(reset);
    return row;
}

void LumivexSettingsView::restoreDefaults() {
    settings_->setPhotosPixels(360);
    settings_->setFolderPixels(360);
    settings_->setPhotosNetwork(true);
    settings_->setCardSize(210.0);
    settings_->setVideoSkipSeconds(5);
}

QString LumivexSettingsView::cardSizeText() const {
    return wholeNumber(settings_->cardSize());
}

// The interval found on opening is kept when valid and written back either way.
void LumivexSettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    settings_->setVideoSkipSeconds(settings_->skipInterval());
    refresh();
}

void LumivexSettingsView::skipSecondsChanged() {
    if (!isVisible()) {
        return;
    }
    settings_->setVideoSkipSeconds(std::clamp(settings_->videoSkipSeconds(),
                                              LumivexSettings::minimumSkipSeconds,
                                              LumivexSettings::maximumSkipSeconds));
}

void LumivexSettingsView::refresh() {
    skip_->refresh();
    photosPixels_->refresh();
    folderPixels_->refresh();
    cardSize_->setText(cardSizeText());
    cardSlider_->refresh();
}

}  // namespace lumivex
