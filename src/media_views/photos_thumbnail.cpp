#include "media_views/photos_thumbnail.h"

#include "media_views/thumbnail_image.h"
#include "media_views/thumbnail_spinner.h"
#include "media_views/view_style.h"

#include <QLabel>
#include <QVBoxLayout>

#include <cmath>

namespace lumivex {

namespace {

namespace Texts {
const QString progressPrefix = QStringLiteral("iCloud ");
const QString unavailable = QStringLiteral("미리보기를 불러올 수 없습니다");
const QString notOnThisComputer = QStringLiteral("이 컴퓨터에 미리보기가 없습니다");
}  // namespace Texts

QWidget* stacked(QWidget* parent, int spacing, QWidget* first, QWidget* second) {
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    layout->addStretch();
    layout->addWidget(first, 0, Qt::AlignHCenter);
    layout->addWidget(second);
    layout->addStretch();
    return box;
}

}  // namespace

PhotosThumbnail::PhotosThumbnail(PhotosThumbnailCache& cache, QWidget* parent)
    : QWidget(parent), loader_(cache), image_(new ThumbnailImage(this)) {
    spinner_ = new ThumbnailSpinner;
    progress_ = new QLabel;
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setFont(ViewStyle::systemFont(10));
    ViewStyle::makeSecondary(progress_);
    waiting_ = stacked(this, 8, spinner_, progress_);

    QLabel* symbol = ViewStyle::symbol(QStringLiteral("icloud.slash"), 24);
    failureText_ = new QLabel;
    failureText_->setObjectName(QStringLiteral("failure"));
    failureText_->setFont(ViewStyle::systemFont(10));
    failureText_->setWordWrap(true);
    failureText_->setAlignment(Qt::AlignCenter);
    ViewStyle::makeSecondary(symbol);
    ViewStyle::makeSecondary(failureText_);
    failure_ = stacked(this, 6, symbol, failureText_);

    connect(&loader_, &PhotosThumbnailLoader::changed, this, &PhotosThumbnail::refresh);
    refresh();
}

void PhotosThumbnail::setRequest(const PhotosThumbnailLoader::Request& request) {
    const bool changed = request.key() != request_.key();
    request_ = request;
    if (changed && isVisible()) {
        loader_.load(request_);
    }
}

QString PhotosThumbnail::progressText() const {
    return progress_->isVisibleTo(waiting_) && waiting_->isVisibleTo(this) ? progress_->text()
                                                                           : QString();
}

void PhotosThumbnail::showEvent(QShowEvent*) {
    loader_.load(request_);
}

void PhotosThumbnail::hideEvent(QHideEvent*) {
    loader_.unload();
}

void PhotosThumbnail::resizeEvent(QResizeEvent*) {
    for (QWidget* layer : {static_cast<QWidget*>(image_), waiting_, failure_}) {
        layer->setGeometry(rect());
    }
}

void PhotosThumbnail::refresh() {
    const PhotosThumbnailResult& result = loader_.result();
    const bool shown = !result.image.isNull();
    image_->setVisible(shown);
    waiting_->setVisible(!shown && !result.failed);
    failure_->setVisible(!shown && result.failed);
    if (shown) {
        image_->setImage(result.image, request_.fit);
    }
    const std::optional<double> progress = loader_.progress();
    progress_->setVisible(progress.has_value());
    if (progress) {
        const auto percent = static_cast<long long>(std::trunc(*progress * 100 + 1e-9));
        progress_->setText(Texts::progressPrefix + QString::number(percent) + u'%');
    }
    failureText_->setText(request_.allowsNetwork() ? Texts::unavailable : Texts::notOnThisComputer);
}

}  // namespace lumivex
