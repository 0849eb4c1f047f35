#include "browser/browser_area.h"
#include "browser/filter_bar.h"
#include "browser/filter_picker_button.h"
#include "browser/media_grid_model.h"
#include "browser/media_grid_view.h"
#include "browser/sidebar.h"
#include "browser/sidebar_rows.h"
#include "browser/store_region.h"
#include "browser/window_fixture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace lumivex::test {
namespace {

// Collects the regions a widget is asked to paint.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }

    QRegion painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }

private:
    QWidget* widget_;
};

struct ShownRow {
    QString title;
    std::optional<qsizetype> count;
    bool selected = false;
    bool operator==(const ShownRow&) const = default;
};

QList<ShownRow> sidebarRows(const LumivexView& view) {
    QList<ShownRow> rows;
    for (const QString& title : view.sidebar()->rowTitles()) {
        const NavRow* row = view.sidebar()->row(title);
        rows.append({title, row->count(), row->selected()});
    }
    return rows;
}

// What the filter bar shows: each picker's title, highlight and the options its menu opens with.
QStringList filterBarTexts(const LumivexView& view, const QList<Category>& properties) {
    FilterBar* bar = view.browserArea()->filterBar();
    QStringList texts = bar->chipTitles();
    QList<FilterMenuButton*> pickers{bar->kindPicker(), bar->folderPicker(), bar->ratingPicker()};
    for (const Category& property : properties) {
        pickers.append(bar->propertyPicker(property.id));
    }
    for (FilterMenuButton* picker : pickers) {
        if (picker == nullptr || !picker->isVisibleTo(bar)) {
            texts.append(QStringLiteral("-"));
            continue;
        }
        texts.append(picker->text() + (picker->active() ? QStringLiteral(" *") : QString()));
        for (const FolderMenuController::Entry& entry : picker->controller().rootEntries()) {
            texts.append(QStringLiteral("  ") + entry.title);
        }
    }
    return texts;
}

class WindowEditRedrawTest : public WindowTest {
protected:
    void SetUp() override {
        for (int i = 0; i < 6; ++i) {
            addPhoto(QStringLiteral("p%1.jpg").arg(i));
            addPhoto(QStringLiteral("x/q%1.jpg").arg(i));
        }
        openLibrary();
        tags = store->library().tagProperties().constLast();
    }

    // A window made now over the same store draws everything from scratch: the window that
    // followed the edits must show exactly what it shows.
    void expectAsAFreshWindow() {
        LumivexView fresh(*store, *defaults);
        auto* freshGrid = new MediaGridView(
            {store.get(), defaults.get(), &shell, &thumbnails, &photosThumbnails});
        fresh.setGrid(freshGrid);
        fresh.resize(window->size());
        fresh.show();
        for (StoreRegion* region : fresh.findChildren<StoreRegion*>()) {
            region->refreshIfStale();
        }
        settle();
        EXPECT_EQ(sidebarRows(*window), sidebarRows(fresh));
        const QList<Category> properties = store->library().tagProperties();
        EXPECT_EQ(filterBarTexts(*window, properties), filterBarTexts(fresh, properties));
        EXPECT_EQ(window->browserArea()->countLabel()->text(),
                  fresh.browserArea()->countLabel()->text());
        const MediaGridModel& shown = grid->gridModel();
        const MediaGridModel& built = freshGrid->gridModel();
        ASSERT_EQ(shown.rowCount(), built.rowCount());
        for (int row = 0; row < shown.rowCount(); ++row) {
            EXPECT_EQ(shown.item(row), built.item(row)) << row;
            EXPECT_EQ(shown.isSelected(row), built.isSelected(row)) << row;
        }
    }

    // A digit typed into the active window, as the grid hears keys.
    void press(Qt::Key key) {
        activate();
        QTest::keyClick(window.get(), key);
        settle();
    }

    void activate() {
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        // The search field takes the focus with the window; a digit typed there is text.
        if (QWidget* focus = QApplication::focusWidget()) {
            focus->clearFocus();
        }
        settle();
        QCoreApplication::processEvents();
    }

    qsizetype rowOf(const QString& filename) { return *grid->gridModel().row(item(filename).id); }

    Category tags;
};

TEST_F(WindowEditRedrawTest, ARatingKeyRepaintsItsCardAndRebuildsNoSidebarRow) {
    // A card wholly on screen: rating one that is not scrolls it into view.
    const QString rated = grid->gridModel().item(1).filename;
    selectFiles({rated});
    activate();
    // Thumbnails still arriving, and a repaint the selection queued, would be painted with the key.
    waitForThumbnails();
    const QList<NavRow*> rowsBefore = window->sidebar()->findChildren<NavRow*>();
    const qsizetype unratedBefore =
        window->sidebar()->row(QStringLiteral("아직 별점 없음"))->count().value();
    PaintRecorder cards(grid->viewport());
    press(Qt::Key_4);
    QCoreApplication::processEvents();
    EXPECT_EQ(item(rated).rating, 4);
    const QRect card = grid->visualRect(grid->gridModel().index(static_cast<int>(rowOf(rated))));
    EXPECT_EQ(cards.painted, QRegion(card)) << "only the rated card is painted again";
    EXPECT_EQ(window->sidebar()->findChildren<NavRow*>(), rowsBefore);
    EXPECT_EQ(window->sidebar()->row(QStringLiteral("아직 별점 없음"))->count(), unratedBefore - 1);
    expectAsAFreshWindow();
}

TEST_F(WindowEditRedrawTest, RatingsValuesAndNotesShowAsAFreshWindowShowsThem) {
    selectFiles({QStringLiteral("p1.jpg")});
    press(Qt::Key_5);
    expectAsAFreshWindow();
    // A value no item carried yet: the sidebar gains a row, the picker an option.
    store->addLabel(QStringLiteral("바다"), tags);
    settle();
    expectAsAFreshWindow();
    selectFiles({QStringLiteral("p1.jpg"), QStringLiteral("x/q3.jpg")});
    store->addLabel(QStringLiteral("바다"), tags);
    settle();
    EXPECT_EQ(window->sidebar()->row(QStringLiteral("바다"))->count(), 2);
    expectAsAFreshWindow();
    store->setNotes(QStringLiteral("파도 소리"), item(QStringLiteral("x/q3.jpg")).id);
    settle();
    expectAsAFreshWindow();
    // Under a rating filter a rated item leaves the grid and an unrated one stays out.
    store->setSelection({item(QStringLiteral("p1.jpg")).id});
    MediaQuery query = store->query();
    query.minimumRating = 3;
    store->setQuery(query);
    settle();
    ASSERT_EQ(grid->gridModel().rowCount(), 1);
    press(Qt::Key_1);
    EXPECT_EQ(grid->gridModel().rowCount(), 0);
    expectAsAFreshWindow();
    // A search that reads the notes, and an edit of them that takes the item out of its result.
    store->setQuery(MediaQuery());
    search(QStringLiteral("파도"));
    ASSERT_EQ(grid->gridModel().rowCount(), 1);
    store->setNotes(QStringLiteral("바람"), item(QStringLiteral("x/q3.jpg")).id);
    settle();
    EXPECT_EQ(grid->gridModel().rowCount(), 0);
    expectAsAFreshWindow();
    search(QString());
    selectFiles({QStringLiteral("p1.jpg"), QStringLiteral("x/q3.jpg")});
    store->removeLabel(QStringLiteral("바다"), tags);
    settle();
    EXPECT_EQ(window->sidebar()->row(QStringLiteral("바다")), nullptr);
    expectAsAFreshWindow();
}

}  // namespace
}  // namespace lumivex::test
