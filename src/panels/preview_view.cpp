#include "panels/preview_view.h"

#include "media/video_player.h"
#include "media/video_volume_memory.h"
#include "media_views/media_thumbnail.h"
#include "media_views/thumbnail_spinner.h"
#include "media_views/video_player_host.h"
#include "media_views/video_player_session.h"
#include "media_views/view_style.h"
#include "panels/panel_symbol.h"
#include "panels/round_button.h"
#include "panels/utility_palette.h"
#include "platform/error.h"
#include "platform/lumivex_settings.h"
#include "platform/photo_library.h"
#include "store/lumivex_theme.h"

#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QStackedLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace lumivex {

namespace {

const QString photosPrefix = QStringLiteral("photos:");
const QString folderPreparing = QStringLiteral("영상을 준비하는 중…");
const QString copyPreparing = QStringLiteral("호환 재생용 영상 준비 중");
const QString photosPreparing = QStringLiteral("준비 중");
const QString notFound =
    QStringLiteral("영상을 찾을 수 없습니다. 목록을 새로고침한 뒤 다시 시도해주세요.");
const QString notLoaded =
    QStringLiteral("영상을 불러오지 못했습니다. 네트워크 연결을 확인한 뒤 다시 시도해주세요.");
const QString notPlayed = QStringLiteral("영상을 재생하지 못했습니다. 다시 시도해주세요.");

QLabel* secondary(const QString& text, double size, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(ViewStyle::systemFont(size));
    ViewStyle::setTextColour(label, UtilityPalette::secondaryText());
    return label;
}

}  // namespace

PreviewView::PreviewView(const MediaItem& item, const QString& path, PreviewServices services,
                         std::function<void()> onClose, QWidget* parent)
    : QWidget(parent),
      item_(item),
      path_(path),
      services_(std::move(services)),
      onClose_(std::move(onClose)),
      settings_(new LumivexSettings(*services_.defaults, this)),
      preparationLabel_(folderPreparing) {
    setPalette(ViewStyle::darkPalette(palette()));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    header_ = buildHeader();
    column->addWidget(header_);
    auto* divider = new QWidget(this);
    divider->setFixedHeight(1);
    divider->setAutoFillBackground(true);
    QPalette line = divider->palette();
    line.setColor(QPalette::Window, UtilityPalette::white(0.08));
    divider->setPalette(line);
    column->addWidget(divider);
    column->addWidget(buildContent(), 1);
    footer_ = buildFooter();
    column->addWidget(footer_);
    connect(settings_, &LumivexSettings::videoSkipSecondsChanged, this, &PreviewView::refreshHint);

    refreshHeader();
    refreshHint();
}

PreviewView::~PreviewView() {
    active_ = false;
    cancelVideo();
    stopPlayback();
}

QString PreviewView::progressText(const QString& label, std::optional<double> progress) {
    if (!progress) {
        return label;
    }
    const double fraction = std::isnan(*progress) ? 0.0 : std::clamp(*progress, 0.0, 1.0);
    return label + QStringLiteral(" · ") + QString::number(static_cast<int>(fraction * 100)) +
           QStringLiteral("%");
}

QString PreviewView::videoHint(std::int64_t storedSkipSeconds) {
    const std::int64_t seconds =
        LumivexSettings::isSkipInterval(storedSkipSeconds) ? storedSkipSeconds : 5;
    return QStringLiteral("←/→ ") + QString::number(seconds) +
           QStringLiteral("초 · ↑/↓ 음량 · Space 재생");
}

bool PreviewView::isPhotosItem() const {
    return item_.fileIdentity.startsWith(photosPrefix);
}

bool PreviewView::isVideo() const {
    return item_.kind == MediaKind::video;
}

QWidget* PreviewView::buildHeader() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(18, 18, 18, 18);
    row->setSpacing(12);
    auto* name = new QLabel(item_.filename, header);
    name->setFont(ViewStyle::systemFont(13, QFont::Medium));
    name->setTextFormat(Qt::PlainText);
    name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(name, 1);
    rating_ = new QLabel(header);
    rating_->setFont(ViewStyle::systemFont(12));
    rating_->setToolTip(QStringLiteral("0~5 키로 별점 지정 · 0은 지우기"));
    row->addWidget(rating_);
    if (!isPhotosItem()) {
        open_ = new QPushButton(QStringLiteral("기본 앱으로 열기"), header);
        open_->setFlat(true);
        open_->setFocusPolicy(Qt::NoFocus);
        connect(open_, &QPushButton::clicked, this, [this] { services_.openFile(path_); });
        row->addWidget(open_);
    }
    close_ = new RoundButton(QStringLiteral("xmark.circle.fill"), 22, header);
    close_->setToolTip(QStringLiteral("닫기 · Esc"));
    close_->setAccessibleName(QStringLiteral("닫기"));
    connect(close_, &QPushButton::clicked, this, [this] { onClose_(); });
    row->addWidget(close_);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { onClose_(); });
    return header;
}

QWidget* PreviewView::buildContent() {
    auto* area = new QWidget(this);
    content_ = new QStackedLayout(area);
    auto* photoPage = new QWidget(area);
    auto* photoLayout = new QVBoxLayout(photoPage);
    photoLayout->setContentsMargins(20, 20, 20, 20);
    thumbnail_ =
        new MediaThumbnail({*services_.folders, *services_.photos, *services_.defaults}, photoPage);
    // The picture the user asked to see passes the grid's thumbnails still waiting.
    thumbnail_->setTurn(ThumbnailCache::Turn::first);
    photoLayout->addWidget(thumbnail_);
    content_->addWidget(photoPage);

    host_ = new VideoPlayerHost(*services_.session, nullptr, area);
    content_->addWidget(host_);

    status_ = new QWidget(area);
    auto* column = new QVBoxLayout(status_);
    column->setSpacing(14);
    column->addStretch(1);
    spinner_ = new ThumbnailSpinner(status_);
    column->addWidget(spinner_, 0, Qt::AlignHCenter);
    statusText_ = secondary(QString(), 12, status_);
    column->addWidget(statusText_, 0, Qt::AlignHCenter);
    error_ = secondary(QString(), 12, status_);
    error_->setWordWrap(true);
    error_->setAlignment(Qt::AlignCenter);
    column->addWidget(error_);
    retry_ = new QPushButton(QStringLiteral("다시 시도"), status_);
    retry_->setFlat(true);
    connect(retry_, &QPushButton::clicked, this, &PreviewView::loadVideo);
    column->addWidget(retry_, 0, Qt::AlignHCenter);
    column->addStretch(1);
    content_->addWidget(status_);
    content_->setCurrentWidget(isVideo() ? status_ : photoPage);
    setProgress(std::nullopt);
    return area;
}

QWidget* PreviewView::buildFooter() {
    auto* footer = new QWidget(this);
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(20, 10, 20, 10);
    hint_ = secondary(QString(), 11, footer);
    hint_->setVisible(isVideo());
    row->addWidget(hint_);
    row->addStretch(1);
    row->addSpacing(8);
    row->addWidget(
        secondary(QStringLiteral("0–5 별점 · Ctrl+방향키 · , / . 항목 이동"), 11, footer));
    return footer;
}

void PreviewView::setItem(const MediaItem& item) {
    if (item.id != item_.id) {
        return;
    }
    item_ = item;
    refreshHeader();
}

void PreviewView::refreshHeader() {
    const bool rated = item_.rating >= 1;
    rating_->setText(
        PanelSymbol::glyph(rated ? QStringLiteral("star.fill") : QStringLiteral("star")) +
        QLatin1Char(' ') + (rated ? QString::number(item_.rating) : QStringLiteral("\u2013")));
    ViewStyle::setTextColour(rating_,
                             rated ? LumivexTheme::accent() : UtilityPalette::secondaryText());
    rating_->setAccessibleName(QStringLiteral("별점 ") + QString::number(item_.rating) +
                               QStringLiteral("점"));
}

void PreviewView::refreshHint() {
    hint_->setText(videoHint(settings_->videoSkipSeconds()));
}

QString PreviewView::ratingText() const {
    return rating_->text();
}

QString PreviewView::hintText() const {
    return hint_->isHidden() ? QString() : hint_->text();
}

QString PreviewView::statusText() const {
    return statusText_->isHidden() ? QString() : statusText_->text();
}

QString PreviewView::errorText() const {
    return loadError_.value_or(QString());
}

PreviewView::VideoState PreviewView::videoState() const {
    if (!isVideo()) {
        return VideoState::none;
    }
    if (player_) {
        return VideoState::playing;
    }
    return loadError_ ? VideoState::failed : VideoState::preparing;
}

// The picture's area in device pixels, from the pane's own size (the layout may not have placed
// the picture yet): a smaller pane never decodes the photo larger, and one layout pass asks once.
void PreviewView::requestPhoto() {
    if (isVideo() || !active_) {
        return;
    }
    const int margins = 2 * 20;
    const QSize area(width() - margins, height() - header_->sizeHint().height() -
                                            footer_->sizeHint().height() - 1 - margins);
    const int side =
        static_cast<int>(std::ceil(std::max(area.width(), area.height()) * devicePixelRatioF()));
    if (side <= 0 || (photoSize_ > 0 && side <= photoSize_)) {
        return;
    }
    photoSize_ = side;
    thumbnail_->setItem(item_, path_, photoSize_, true);
}

void PreviewView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous() || active_) {
        return;
    }
    active_ = true;
    if (isVideo()) {
        loadVideo();
    } else {
        requestPhoto();
    }
}

void PreviewView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous()) {
        return;
    }
    active_ = false;
    cancelVideo();
    stopPlayback();
}

void PreviewView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    requestPhoto();
}

void PreviewView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), LumivexTheme::canvas());
}

void PreviewView::cancelVideo() {
    ++generation_;
    if (task_) {
        task_->disconnect(this);
        task_->cancel();
        task_.reset();
    }
}

void PreviewView::stopPlayback() {
    if (volume_) {
        volume_->stop();
        volume_.reset();
    }
    if (player_) {
        player_->pause();
        host_->bind(nullptr);
        player_.reset();
    }
}

void PreviewView::loadVideo() {
    cancelVideo();
    stopPlayback();
    loadError_.reset();
    content_->setCurrentWidget(status_);
    const std::uint64_t token = generation_;
    if (isPhotosItem()) {
        preparationLabel_ = photosPreparing;
        setProgress(std::nullopt);
        loadPhotosVideo();
    } else {
        preparationLabel_ = folderPreparing;
        setProgress(std::nullopt);
        loadFolderVideo(token);
    }
}

// The photo library's files are local: the lookup and the player's file answer at once.
void PreviewView::loadPhotosVideo() {
    const QString identifier = item_.fileIdentity.mid(photosPrefix.size());
    const QList<PhotoAsset> assets = services_.library != nullptr
                                         ? services_.library->fetchAssets({identifier})
                                         : QList<PhotoAsset>();
    if (assets.isEmpty()) {
        fail(notFound);
        return;
    }
    const QUrl url = services_.library->playerItemUrl(assets.first());
    if (url.isEmpty()) {
        fail(notLoaded);
        return;
    }
    beginPlayback(url);
}

void PreviewView::loadFolderVideo(std::uint64_t token) {
    QPointer<PreviewView> self(this);
    task_ = std::make_unique<QFutureWatcher<QString>>();
    connect(task_.get(), &QFutureWatcher<QString>::finished, this,
            [this, token] { folderVideoFinished(token); });
    task_->setFuture(services_.prepareVideo(path_, [self, token](double fraction) {
        if (!self || !self->active_ || self->generation_ != token) {
            return;
        }
        self->preparationLabel_ = copyPreparing;
        self->setProgress(fraction);
    }));
}

void PreviewView::folderVideoFinished(std::uint64_t token) {
    if (!active_ || generation_ != token || !task_) {
        return;
    }
    QFuture<QString> future = task_->future();
    task_.reset();
    try {
        // Finished already: this only rethrows the failure that stopped the preparation.
        future.waitForFinished();
    } catch (const Error& error) {
        return fail(error.description());
    } catch (const std::exception&) {
        return fail(notLoaded);
    }
    if (future.isCanceled() || future.resultCount() == 0) {
        return;
    }
    beginPlayback(QUrl::fromLocalFile(future.result()));
}

void PreviewView::beginPlayback(const QUrl& url) {
    stopPlayback();
    player_ = services_.makePlayer(url);
    volume_ = std::make_unique<VideoVolumeMemory>(player_.get(), *services_.defaults);
    host_->bind(player_.get());
    content_->setCurrentWidget(host_);
    services_.session->watchPlayback(*player_, [this] { playbackFailed(); });
    player_->play();
}

// A player that fails, or shows nothing, leaves the pane with a message and another try rather
// than a black picture.
void PreviewView::playbackFailed() {
    stopPlayback();
    content_->setCurrentWidget(status_);
    fail(notPlayed);
}

void PreviewView::fail(const QString& message) {
    loadError_ = message;
    setProgress(progress_);
}

void PreviewView::setProgress(std::optional<double> progress) {
    progress_ = progress;
    const bool failed = loadError_.has_value();
    statusText_->setText(progressText(preparationLabel_, progress_));
    statusText_->setVisible(!failed);
    spinner_->setVisible(!failed);
    error_->setText(loadError_.value_or(QString()));
    error_->setVisible(failed);
    retry_->setVisible(failed);
}

}  // namespace lumivex
