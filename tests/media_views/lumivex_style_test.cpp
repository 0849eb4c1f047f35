#include "media_views/lumivex_style.h"

#include "store/lumivex_theme.h"
#include "view_screenshots.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace lumivex::test {
namespace {

// Paints a filled square for every symbol asked for, and remembers the names.
struct RecordingSymbols {
    std::shared_ptr<QStringList> asked = std::make_shared<QStringList>();

    LumivexStyle::SymbolPainter painter() const {
        return [asked = asked](QPainter& painter, const QString& name, const QRectF& box,
                               const QColor& colour) {
            asked->append(name);
            painter.fillRect(box, colour);
        };
    }
};

bool near(const QColor& a, const QColor& b, int tolerance = 12) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

class LumivexStyleTest : public ::testing::Test {
protected:
    void SetUp() override { LumivexStyle::install(symbols.painter()); }
    void TearDown() override { QApplication::setStyle(QStringLiteral("Fusion")); }

    LumivexStyle& style() const { return *static_cast<LumivexStyle*>(QApplication::style()); }

    RecordingSymbols symbols;
};

TEST_F(LumivexStyleTest, ScrollBarsAreThinWithoutArrowButtons) {
    QScrollBar bar(Qt::Vertical);
    bar.setRange(0, 900);
    bar.setPageStep(100);
    bar.resize(bar.sizeHint().width(), 400);
    EXPECT_EQ(bar.sizeHint().width(), 10);

    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.orientation = Qt::Vertical;
    option.minimum = 0;
    option.maximum = 900;
    option.pageStep = 100;
    option.sliderPosition = 900;
    option.rect = QRect(0, 0, 10, 400);
    for (const QStyle::SubControl arrow :
         {QStyle::SC_ScrollBarAddLine, QStyle::SC_ScrollBarSubLine})
        EXPECT_TRUE(style().subControlRect(QStyle::CC_ScrollBar, &option, arrow).isEmpty());
    // The handle takes the visible share of the whole length and ends at the bar's end.
    const QRect handle =
        style().subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider);
    EXPECT_EQ(handle.height(), 40);
    EXPECT_EQ(handle.bottom(), 399);
    // The last pixels of the bar belong to the handle, not to an arrow.
    EXPECT_EQ(style().hitTestComplexControl(QStyle::CC_ScrollBar, &option, QPoint(5, 398)),
              QStyle::SC_ScrollBarSlider);
    option.sliderPosition = 0;
    EXPECT_EQ(style().hitTestComplexControl(QStyle::CC_ScrollBar, &option, QPoint(5, 398)),
              QStyle::SC_ScrollBarAddPage);
    // A tiny share still leaves a handle that can be grabbed.
    option.maximum = 1'000'000;
    EXPECT_GE(
        style().subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider).height(),
        20);
}

TEST_F(LumivexStyleTest, TheDefaultAndProminentButtonsTakeTheAccentColour) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* plain = new QPushButton(QStringLiteral("나중에"));
    auto* fallback = new QPushButton(QStringLiteral("기본"));
    auto* prominent = new QPushButton(QStringLiteral("사진 접근 설정 열기"));
    fallback->setDefault(true);
    LumivexStyle::setProminent(prominent);
    for (QPushButton* button : {plain, fallback, prominent}) {
        button->setMinimumSize(160, 32);
        layout->addWidget(button);
    }
    window.show();
    const auto fillOf = [](QPushButton* button) {
        return button->grab().toImage().pixelColor(6, button->height() / 2);
    };
    EXPECT_TRUE(near(fillOf(fallback), LumivexTheme::accent()))
        << fillOf(fallback).name().toStdString();
    EXPECT_TRUE(near(fillOf(prominent), LumivexTheme::accent()));
    EXPECT_FALSE(near(fillOf(plain), LumivexTheme::accent(), 60));
    // Rounded: the corner pixel stays the window's own colour.
    const QColor corner = fallback->grab().toImage().pixelColor(1, 1);
    EXPECT_FALSE(near(corner, LumivexTheme::accent(), 60));
    saveScreenshot(window, QStringLiteral("style-buttons"));
}

TEST_F(LumivexStyleTest, TheFocusRingFollowsOnlyTheKeyboard) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* field = new QLineEdit;
    auto* first = new QPushButton(QStringLiteral("전체 선택"));
    auto* second = new QPushButton(QStringLiteral("삭제"));
    layout->addWidget(field);
    layout->addWidget(first);
    layout->addWidget(second);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QTest::mouseClick(first, Qt::LeftButton);
    ASSERT_TRUE(first->hasFocus());
    EXPECT_FALSE(style().focusFromKeyboard(first));

    QTest::keyClick(first, Qt::Key_Tab);
    ASSERT_TRUE(second->hasFocus());
    EXPECT_TRUE(style().focusFromKeyboard(second));
    EXPECT_FALSE(style().focusFromKeyboard(first));

    // A window's first focus arrives "by Tab" although no Tab was pressed.
    QTest::keyClick(second, Qt::Key_Delete);
    first->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(style().focusFromKeyboard(first));

    second->setFocus(Qt::OtherFocusReason);
    field->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(style().focusFromKeyboard(field));
    EXPECT_FALSE(style().focusFromKeyboard(second));
}

TEST_F(LumivexStyleTest, AlertsShowTheApplicationsOwnSymbols) {
    const QPixmap warning =
        style().standardIcon(QStyle::SP_MessageBoxWarning).pixmap(QSize(32, 32));
    ASSERT_FALSE(warning.isNull());
    EXPECT_TRUE(symbols.asked->contains(QStringLiteral("exclamationmark.triangle.fill")));
    EXPECT_EQ(warning.toImage().pixelColor(16, 16).name(), QColor(255, 149, 0).name());
    style().standardIcon(QStyle::SP_MessageBoxCritical);
    style().standardIcon(QStyle::SP_MessageBoxInformation);
    style().standardIcon(QStyle::SP_MessageBoxQuestion);
    EXPECT_TRUE(symbols.asked->contains(QStringLiteral("xmark.octagon.fill")));
    EXPECT_TRUE(symbols.asked->contains(QStringLiteral("info.circle.fill")));
    EXPECT_TRUE(symbols.asked->contains(QStringLiteral("questionmark.circle.fill")));

    // A message box takes its icon from the style.
    symbols.asked->clear();
    QMessageBox box(QMessageBox::Warning, QStringLiteral("삭제"), QStringLiteral("삭제할까요?"));
    EXPECT_TRUE(symbols.asked->contains(QStringLiteral("exclamationmark.triangle.fill")));
}

TEST_F(LumivexStyleTest, TheApplicationTakesTheThemesPalette) {
    const QPalette palette = QApplication::palette();
    EXPECT_EQ(palette.color(QPalette::Window), LumivexTheme::canvas());
    EXPECT_EQ(palette.color(QPalette::Base), LumivexTheme::panel());
    EXPECT_EQ(palette.color(QPalette::Highlight), LumivexTheme::accent());
    EXPECT_EQ(LumivexStyle().standardPalette().color(QPalette::Window), LumivexTheme::canvas());
}

}  // namespace
}  // namespace lumivex::test
