#include "media_views/media_thumbnail.h"

#include "media_views/photos_thumbnail.h"
#include "media_views/thumbnail_image.h"
#include "media_views/thumbnail_spinner.h"
#include "media_views/view_style.h"
#include "platform/lumivex_settings.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace lumivex {

namespace {

namespace Texts {
const QString noPreview = QStringLiteral("미리보기 없음");
}  // namespace Texts

const QString photosPrefix = QStringLiteral("photos:");
constexpr double backgroundOpacity = 0.035;

}  // namespace

MediaThumbnail::MediaThumbnail(Services services, QWidget* parent)
    : QWidget(parent),
      services_(services),
      settings_(new LumivexSettings(services.defaults, this)),
      image_(new ThumbnailImage(this)),
      spinner_(new ThumbnailSpinner(this)),
      placeholder_(makePlaceholder()) {
    connect(settings_, &LumivexSettings::photosNetworkChanged, this, [this] {
        if (photos_ != nullptr) {
            showPhotos();
        }
    });
    refresh();
}

MediaThumbnail::~MediaThumbnail() {
    unload();
}

QWidget* MediaThumbnail::makePlaceholder() {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    placeholderSymbol_ = ViewStyle::symbol(QStringLiteral("photo"), 25);
    auto* text = new QLabel(Texts::noPreview);
    text->setFont(ViewStyle::caption());
    ViewStyle::makeSecondary(placeholderSymbol_);
    ViewStyle::makeSecondary(text);
    layout->addStretch();
    layout->addWidget(placeholderSymbol_, 0, Qt::AlignHCenter);
    layout->addWidget(text, 0, Qt::AlignHCenter);
    layout->addStretch();
    return box;
}

void MediaThumbnail::setItem(const MediaItem& item, const QString& path, int size, bool fit) {
    const bool wasPhotos = isPhotosItem();
    const QString oldKey = key_;
    item_ = item;
    path_ = path;
    size_ = size;
    fit_ = fit;
    key_ = ThumbnailCache::key(path, item, size);
    if (isPhotosItem()) {
        unload();
        showPhotos();
    } else if (key_ != oldKey || wasPhotos) {
        delete std::exchange(photos_, nullptr);
        unload();
        if (isVisible()) {
            load();
        }
    } else if (fit_ != image_->fit()) {
        image_->setImage(image_->image(), fit_);
    }
    refresh();
}

bool MediaThumbnail::isPhotosItem() const {
    return item_.fileIdentity.startsWith(photosPrefix);
}

MediaThumbnail::Layer MediaThumbnail::layer() const {
    if (photos_ != nullptr) {
        return Layer::photos;
    }
    if (!loadedImage_.isNull()) {
        return Layer::image;
    }
    return loaded_ ? Layer::placeholder : Layer::spinner;
}

void MediaThumbnail::showPhotos() {
    if (photos_ == nullptr) {
        photos_ = new PhotosThumbnail(services_.photos, this);
        photos_->setGeometry(rect());
        if (isVisible()) {
            photos_->show();
        }
    }
    PhotosThumbnailLoader::Request request;
    request.identifier = item_.fileIdentity.mid(photosPrefix.size());
    request.size = size_;
    request.fit = fit_;
    request.revision = item_.modified.secondsSince1970;
    request.allowListDownloads = settings_->photosNetwork();
    request.first = turn_ == ThumbnailCache::Turn::first;
    photos_->setRequest(request);
}

void MediaThumbnail::load() {
    if (isPhotosItem() || ticket_) {
        return;
    }
    // No size asked yet (a pane not laid out): nothing to decode, so no trip through the pool.
    if (size_ <= 0) {
        finish(QImage());
        return;
    }
    const QImage cached = services_.folders.cachedImage(path_, item_, size_);
    if (!cached.isNull()) {
        finish(cached);
        return;
    }
    loadedImage_ = QImage();
    loaded_ = false;
    const QString key = key_;
    const ThumbnailTicket ticket = services_.folders.image(
        path_, item_, size_, this,
        [this, key](const QImage& image) {
            // A withdrawn ticket never answers; the key check keeps a late answer for an older
            // key out all the same.
            if (key == key_) {
                ticket_.reset();
                finish(image);
            }
        },
        turn_);
    // The cache may have answered before image() returned; the ticket is then already spent.
    if (!loaded_) {
        ticket_ = ticket;
    }
    refresh();
}

void MediaThumbnail::finish(const QImage& image) {
    loadedImage_ = image;
    loaded_ = true;
    if (!image.isNull()) {
        image_->setImage(image, fit_);
    }
    refresh();
}

void MediaThumbnail::unload() {
    if (ticket_) {
        services_.folders.cancel(*ticket_);
        ticket_.reset();
    }
    loadedImage_ = QImage();
    loaded_ = false;
    image_->setImage(QImage(), fit_);
}

void MediaThumbnail::refresh() {
    const Layer shown = layer();
    image_->setVisible(shown == Layer::image);
    placeholder_->setVisible(shown == Layer::placeholder);
    spinner_->setVisible(shown == Layer::spinner);
    const bool video = item_.kind == MediaKind::video;
    ViewStyle::setSymbol(placeholderSymbol_,
                         video ? QStringLiteral("video") : QStringLiteral("photo"));
    update();
}

void MediaThumbnail::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QColor faint(Qt::white);
    faint.setAlphaF(backgroundOpacity);
    painter.fillRect(rect(), faint);
}

void MediaThumbnail::showEvent(QShowEvent*) {
    load();
}

void MediaThumbnail::hideEvent(QHideEvent*) {
    // An off-screen cell holds no bitmap.
    unload();
    refresh();
}

void MediaThumbnail::resizeEvent(QResizeEvent*) {
    image_->setGeometry(rect());
    placeholder_->setGeometry(rect());
    spinner_->move((width() - spinner_->width()) / 2, (height() - spinner_->height()) / 2);
    if (photos_ != nullptr) {
        photos_->setGeometry(rect());
    }
}

}  // namespace lumivex
