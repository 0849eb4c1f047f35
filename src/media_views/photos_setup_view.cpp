#include "media_views/photos_setup_view.h"

#include "media_views/lumivex_photo_access_guide.h"
#include "media_views/photo_folder_note.h"
#include "media_views/view_style.h"
#include "platform/app_brand.h"
#include "store/lumivex_store.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumivex {

namespace {

namespace Texts {
const QString title = QStringLiteral("사진 보관함 연결");
const QString subtitle = QStringLiteral("폴더 경로를 찾을 필요 없이 사진 보관함에 연결합니다.");
const QString step1Title = QStringLiteral("이 컴퓨터의 사진 폴더를 사용해요");
const QString step1Detail =
    QStringLiteral("사진 폴더와 동영상 폴더에 저장한 사진과 영상을 함께 불러옵니다.");
const QString openPhotosFolder = QStringLiteral("사진 폴더 열기");
const QString step2Title = QStringLiteral("사진 접근을 한 번 허용해주세요");
const QString step2Detail = QStringLiteral(
    "아래 연결 버튼을 누르고 열리는 창에서 사진 접근을 허용하세요. 전체 보관함을 보려면 전체 "
    "접근을 선택합니다. 허용 범위는 나중에 사진 접근 설정에서 바꿀 수 있습니다.");
QString storage() {
    return QStringLiteral("별점과 분류는 ") + AppBrand::name() +
           QStringLiteral("의 CSV에 저장합니다.");
}
const QString folderInstead =
    QStringLiteral("폴더의 사진만 사용한다면 이 권한 없이 ‘내 폴더 선택’으로 시작할 수 있어요.");
const QString limited = QStringLiteral(
    "현재 선택한 사진에만 접근할 수 있어요. 전체 보관함을 보려면 사진 접근 설정에서 접근 범위를 "
    "바꿔주세요.");
QString denied() {
    return QStringLiteral("사진 접근이 꺼져 있어요. 사진 접근 설정에서 ") + AppBrand::name() +
           QStringLiteral(" 접근을 허용해주세요.");
}
const QString permitted = QStringLiteral("사진 접근이 이미 허용되어 있습니다.");
const QString openSettings = QStringLiteral("사진 접근 설정 열기");
const QString later = QStringLiteral("나중에");
const QString connecting = QStringLiteral("연결 중…");
const QString connectLibrary = QStringLiteral("보관함 연결");
const QString allowAndConnect = QStringLiteral("사진 접근 허용하고 연결");
}  // namespace Texts

constexpr int sheetWidth = 490;
constexpr int stepIndent = 34;

bool isPermitted(PhotoAuthorizationStatus status) {
    return status == PhotoAuthorizationStatus::authorized ||
           status == PhotoAuthorizationStatus::limited;
}

bool isDenied(PhotoAuthorizationStatus status) {
    return status == PhotoAuthorizationStatus::denied ||
           status == PhotoAuthorizationStatus::restricted;
}

QLabel* text(const QString& content, const QFont& font, QWidget* parent) {
    QLabel* label = ViewStyle::wrappingLabel(content, parent);
    label->setFont(font);
    return label;
}

// The steps' faint rounded background.
class StepsPanel final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        QColor faint(Qt::white);
        faint.setAlphaF(0.04);
        painter.setBrush(faint);
        painter.drawRoundedRect(rect(), 10, 10);
    }
};

QWidget* setupStep(const QString& number, const QString& title, const QString& detail,
                   QWidget* parent) {
    auto* step = new QWidget(parent);
    auto* row = new QHBoxLayout(step);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    QLabel* badge = text(number, ViewStyle::systemFont(11, QFont::DemiBold), step);
    badge->setWordWrap(false);
    badge->setFixedSize(24, 24);
    badge->setAlignment(Qt::AlignCenter);
    QColor fill = ViewStyle::mint();
    fill.setAlphaF(0.12);
    badge->setStyleSheet(
        QStringLiteral("QLabel { background: %1; color: %2; border-radius: 12px; }")
            .arg(fill.name(QColor::HexArgb), ViewStyle::mint().name()));
    row->addWidget(badge, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(5);
    texts->addWidget(text(title, ViewStyle::systemFont(13, QFont::Medium), step));
    QLabel* detailLabel = text(detail, ViewStyle::systemFont(12), step);
    ViewStyle::makeSecondary(detailLabel);
    texts->addWidget(detailLabel);
    row->addLayout(texts, 1);
    return step;
}

}  // namespace

PhotosSetupView::PhotosSetupView(LumivexStore& store, PhotoLibrary& photos,
                                 LumivexPhotoAccessGuide& guide,
                                 std::function<void()> openPhotosFolder, QWidget* parent)
    : QDialog(parent),
      store_(store),
      photos_(photos),
      guide_(guide),
      openPhotosFolder_(std::move(openPhotosFolder)),
      authorization_(photos.authorizationStatus()) {
    setWindowTitle(Texts::title);
    setWindowModality(Qt::WindowModal);
    setPalette(ViewStyle::darkPalette(palette()));
    setAutoFillBackground(true);
    setFixedWidth(sheetWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 28, 28, 28);
    layout->setSpacing(20);
    layout->addWidget(header());
    layout->addWidget(stepsPanel());
    for (const QString& line : {Texts::storage(), Texts::folderInstead}) {
        QLabel* label = text(line, ViewStyle::systemFont(12), this);
        ViewStyle::makeSecondary(label);
        layout->addWidget(label);
    }
    note_ = text(QString(), ViewStyle::systemFont(12), this);
    note_->setObjectName(QStringLiteral("note"));
    layout->addWidget(note_);
    limitedSettings_ = new QPushButton(Texts::openSettings, this);
    layout->addWidget(limitedSettings_, 0, Qt::AlignLeft);
    layout->addWidget(buttonRow());
    connect(limitedSettings_, &QPushButton::clicked, &guide_, &LumivexPhotoAccessGuide::show);
    connect(&store_, &LumivexStore::connectingPhotosChanged, this, &PhotosSetupView::readStatus);
    connect(&store_, &LumivexStore::showPhotosSetupChanged, this, &PhotosSetupView::closeWhenDone);
    connect(&guide_, &LumivexPhotoAccessGuide::accessChanged, this, &PhotosSetupView::readStatus);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive) {
            readStatus();
        }
    });
    refresh();
}

QWidget* PhotosSetupView::header() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    QLabel* symbol = ViewStyle::symbol(QStringLiteral("icloud"), 32, header);
    ViewStyle::setTextColour(symbol, ViewStyle::mint());
    row->addWidget(symbol);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(5);
    texts->addWidget(text(Texts::title, ViewStyle::systemFont(21, QFont::DemiBold), header));
    QLabel* subtitle = text(Texts::subtitle, ViewStyle::systemFont(12), header);
    ViewStyle::makeSecondary(subtitle);
    texts->addWidget(subtitle);
    row->addLayout(texts, 1);
    return header;
}

QWidget* PhotosSetupView::stepsPanel() {
    auto* panel = new StepsPanel(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(16);
    layout->addWidget(setupStep(QStringLiteral("1"), Texts::step1Title, Texts::step1Detail, panel));
    auto* open = new QPushButton(Texts::openPhotosFolder, panel);
    auto* indented = new QHBoxLayout;
    indented->setContentsMargins(stepIndent, 0, 0, 0);
    indented->addWidget(open);
    indented->addStretch();
    layout->addLayout(indented);
    layout->addWidget(setupStep(QStringLiteral("2"), Texts::step2Title, Texts::step2Detail, panel));
    connect(open, &QPushButton::clicked, this, [this] { openPhotosFolder_(); });
    return panel;
}

QWidget* PhotosSetupView::buttonRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* later = new QPushButton(Texts::later, row);
    connect_ = new QPushButton(row);
    deniedSettings_ = new QPushButton(Texts::openSettings, row);
    ViewStyle::makeProminent(connect_);
    ViewStyle::makeProminent(deniedSettings_);
    layout->addWidget(later);
    layout->addStretch();
    layout->addWidget(deniedSettings_);
    layout->addWidget(connect_);
    // Return reaches only the connect button; the other buttons never take it.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
    }
    connect_->setDefault(true);
    connect(later, &QPushButton::clicked, this, &PhotosSetupView::reject);
    connect(connect_, &QPushButton::clicked, &store_, &LumivexStore::connectPhotos);
    connect(deniedSettings_, &QPushButton::clicked, &guide_, &LumivexPhotoAccessGuide::show);
    return row;
}

QPushButton* PhotosSetupView::mainButton() const {
    return isDenied(authorization_) ? deniedSettings_ : connect_;
}

void PhotosSetupView::reject() {
    store_.setShowPhotosSetup(false);
    QDialog::reject();
}

void PhotosSetupView::closeWhenDone() {
    if (!store_.showPhotosSetup()) {
        QDialog::reject();
    }
}

void PhotosSetupView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    readStatus();
}

void PhotosSetupView::readStatus() {
    authorization_ = photos_.authorizationStatus();
    refresh();
}

void PhotosSetupView::refresh() {
    const bool denied = isDenied(authorization_);
    const bool permitted = isPermitted(authorization_);
    QString note;
    QColor colour = ViewStyle::orange();
    if (authorization_ == PhotoAuthorizationStatus::limited) {
        note = Texts::limited;
    } else if (authorization_ == PhotoAuthorizationStatus::restricted) {
        note = PhotoFolderNote::missing(photos_.folders());
    } else if (denied) {
        note = Texts::denied();
    } else if (permitted) {
        note = QStringLiteral("\u2713 ") + Texts::permitted;
        colour = palette().color(QPalette::WindowText);
        colour.setAlphaF(0.6);
    }
    note_->setText(note);
    ViewStyle::setTextColour(note_, colour);
    note_->setVisible(!note.isEmpty());
    limitedSettings_->setVisible(authorization_ == PhotoAuthorizationStatus::limited);

    const bool connecting = store_.connectingPhotos();
    deniedSettings_->setVisible(denied);
    connect_->setVisible(!denied);
    connect_->setDefault(!denied);
    connect_->setEnabled(!connecting);
    connect_->setText(connecting  ? Texts::connecting
                      : permitted ? Texts::connectLibrary
                                  : Texts::allowAndConnect);
    // The width is fixed; the height follows what the note and the row now hold.
    layout()->activate();
    setFixedHeight(layout()->totalHeightForWidth(sheetWidth));
}

}  // namespace lumivex
