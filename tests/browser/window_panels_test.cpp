#include "browser/window_panels.h"
#include "browser/modal_overlay.h"
#include "browser/sheet_slot.h"
#include "browser/window_fixture.h"
#include "media_views/lumivex_video_player_view.h"
#include "media_views/video_player_session.h"
#include "panels/deleted_records_view.h"
#include "panels/preview_view.h"
#include "panels/resizable_media_preview.h"
#include "panels/shortcut_help_view.h"
#include "panels/video_duration_sheet.h"
#include "support/event_loop.h"
#include "support/fake_video_player.h"

#include <QDialog>
#include <QLineEdit>
#include <QPromise>
#include <QPushButton>
#include <QTest>

namespace lumivex::test {
namespace {

class WindowPanelsTest : public WindowTest {
protected:
    void SetUp() override {
        addPhoto(QStringLiteral("a.jpg"));
        addPhoto(QStringLiteral("b.jpg"));
        addVideo(QStringLiteral("c.mp4"));
        openLibrary();
        MediaQuery query = store->query();
        query.sort = SortOrder::name;
        query.ascending = true;
        store->setQuery(query);
        settle();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    WindowPanels& panels() { return window->panels(); }
    PreviewView* pane() { return panels().previewPane(); }

    void previewSelected(const QString& filename) {
        store->select(item(filename).id, Qt::NoModifier);
        window->requestPreview();
        QTest::qWait(0);
    }

    QDialog* utilityDialog() { return window->utilitySheet()->dialog(); }
};

TEST_F(WindowPanelsTest, ThePreviewRatesMovesFollowsTheRecordAndCloses) {
    previewSelected(QStringLiteral("a.jpg"));
    ASSERT_NE(pane(), nullptr);
    EXPECT_TRUE(window->previewOverlay()->isVisible());
    EXPECT_EQ(pane()->item().filename, QStringLiteral("a.jpg"));
    EXPECT_EQ(panels().previewCard()->size(), QSize(850, 620));
    EXPECT_FALSE(window->metadataEditingActions());  // Space and the digits are the preview's
    waitForThumbnails();
    screenshot(QStringLiteral("window_preview_photo"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_3);
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 3);
    EXPECT_EQ(pane()->ratingText(), QStringLiteral("\u2605 3"));
    EXPECT_EQ(window->state().preview()->rating, 3);

    PreviewView* first = pane();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Period);
    EXPECT_EQ(window->state().preview()->filename, QStringLiteral("b.jpg"));
    EXPECT_NE(pane(), first);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(window->state().preview()->filename, QStringLiteral("a.jpg"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(window->state().preview());
    EXPECT_FALSE(window->previewOverlay()->isVisible());
    EXPECT_EQ(panels().previewCard(), nullptr);

    previewSelected(QStringLiteral("b.jpg"));
    pane()->closeButton()->click();
    EXPECT_FALSE(window->state().preview());
    previewSelected(QStringLiteral("b.jpg"));
    QTest::mouseClick(window->previewOverlay(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(window->state().preview());
}

TEST_F(WindowPanelsTest, AVideoPlaysInThePreviewAndStopsWhenItCloses) {
    QList<QUrl> played;
    VideoPlayerSession session(*defaults);
    PreviewServices services = PreviewServices::standard(*defaults, &photos, session);
    services.makePlayer = [&](const QUrl& url) -> std::unique_ptr<VideoPlayer> {
        played.append(url);
        return std::make_unique<FakeVideoPlayer>();
    };
    panels().setPreviewServices(services);
    previewSelected(QStringLiteral("c.mp4"));
    settleUntil([&] { return pane()->videoState() == PreviewView::VideoState::playing; });
    EXPECT_EQ(played, QList<QUrl>{QUrl::fromLocalFile(at(QStringLiteral("c.mp4")))});
    EXPECT_EQ(pane()->hintText(), QStringLiteral("←/→ 5초 · ↑/↓ 음량 · Space 재생"));
    screenshot(QStringLiteral("window_preview_video"));
    // Space reaches the player, never the window's own keys.
    VideoPlayer* player = pane()->player();
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
    QTest::keyClick(target, Qt::Key_Space);
    EXPECT_EQ(player->rate(), 0.0f);
    window->state().setPreview(std::nullopt);
    EXPECT_EQ(pane(), nullptr);
}

TEST_F(WindowPanelsTest, TheUtilityPanelsAndTheLengthSheetOpenAndCloseWithEscape) {
    window->state().setUtilityPanel(LumivexUtilityPanel::deleted);
    ASSERT_NE(utilityDialog(), nullptr);
    ASSERT_NE(panels().deletedRecords(), nullptr);
    EXPECT_EQ(panels().deletedRecords()->countText(), QStringLiteral("0"));
    EXPECT_FALSE(window->metadataEditingActions());
    screenshot(QStringLiteral("window_deleted_records"));
    QTest::keyClick(panels().deletedRecords()->searchField(), Qt::Key_Escape);
    EXPECT_FALSE(window->state().utilityPanel());

    window->requestShortcuts();
    ASSERT_NE(utilityDialog(), nullptr);
    EXPECT_NE(utilityDialog()->findChild<ShortcutHelpView*>(), nullptr);
    screenshot(QStringLiteral("window_shortcut_help"));
    QTest::keyClick(utilityDialog(), Qt::Key_Escape);
    EXPECT_FALSE(window->state().utilityPanel());

    window->state().setDurationSheet(true);
    QDialog* sheet = window->durationSheet()->dialog();
    ASSERT_NE(sheet, nullptr);
    auto* form = sheet->findChild<VideoDurationSheet*>();
    ASSERT_NE(form, nullptr);
    screenshot(QStringLiteral("window_video_length_sheet"));
    form->field(VideoDurationSheet::Field::minimumMinutes)->setText(QStringLiteral("1"));
    form->applyButton()->click();
    QTest::qWait(0);
    EXPECT_FALSE(window->state().durationSheet());
    EXPECT_EQ(store->query().videoDuration, (VideoDurationRange{60, std::nullopt, true}));
    EXPECT_EQ(store->query().kind, MediaKind::video);
}

TEST_F(WindowPanelsTest, AnotherLibraryClosesThePreviewAndThePanel) {
    previewSelected(QStringLiteral("a.jpg"));
    window->state().setUtilityPanel(LumivexUtilityPanel::shortcuts);
    Q_EMIT store->rootChanged();
    EXPECT_FALSE(window->state().preview());
    EXPECT_FALSE(window->state().utilityPanel());
}

}  // namespace
}  // namespace lumivex::test
