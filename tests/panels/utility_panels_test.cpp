#include "media_views/view_screenshots.h"
#include "panels/deleted_record_row.h"
#include "panels/deleted_records_view.h"
#include "panels/shortcut_help_view.h"
#include "panels/utility_panel_header.h"
#include "platform/lumivex_settings.h"
#include "platform/user_defaults.h"
#include "support/manual_clock.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace lumivex {
namespace {

constexpr double day = 86400;
constexpr double week = 604800;

MediaItem item(const QString& filename, std::int64_t rating = 0) {
    MediaItem made;
    made.id = QUuid::createUuid();
    made.filename = filename;
    made.rating = rating;
    return made;
}

DeletedRecord record(const MediaItem& item, double deletedAt) {
    return {item, Date{deletedAt}};
}

Category property(const QString& name, PropertyKind kind = PropertyKind::multiSelect) {
    return {QUuid::createUuid(), name, kind, {}, std::nullopt};
}

class UtilityPanelsTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    UserDefaults defaults{temp.filePath(QStringLiteral("defaults.json"))};
    test::ManualClock clock{Date{1800000000.0}};
    double now = 1800000000.0;
};

TEST_F(UtilityPanelsTest, TheShortcutSkipRowFollowsTheSettingWhileOpen) {
    EXPECT_EQ(ShortcutHelpView::skipTitle(1), QStringLiteral("1초 뒤로 / 앞으로"));
    EXPECT_EQ(ShortcutHelpView::skipTitle(3600), QStringLiteral("3600초 뒤로 / 앞으로"));
    for (const std::int64_t outside : {std::int64_t{0}, std::int64_t{-3}, std::int64_t{3601}}) {
        EXPECT_EQ(ShortcutHelpView::skipTitle(outside), QStringLiteral("5초 뒤로 / 앞으로"));
    }
    int closed = 0;
    ShortcutHelpView view(defaults, [&] { ++closed; });
    EXPECT_EQ(view.skipRowTitle(), QStringLiteral("5초 뒤로 / 앞으로"));
    LumivexSettings(defaults).setVideoSkipSeconds(30);
    EXPECT_EQ(view.skipRowTitle(), QStringLiteral("30초 뒤로 / 앞으로"));
    defaults.setText(LumivexSettings::keyName(LumivexSettings::Key::videoSkipSeconds),
                     QStringLiteral("30"));
    EXPECT_EQ(view.skipRowTitle(), QStringLiteral("5초 뒤로 / 앞으로"));
    EXPECT_EQ(view.size(), QSize(560, 620));

    // The undo caps are one text each, with the keys of this platform.
    QStringList caps;
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        caps.append(label->text());
    }
    EXPECT_TRUE(caps.contains(QStringLiteral("Ctrl+Shift+Z")));
    EXPECT_FALSE(caps.join(QString()).contains(QChar(0x2318)));

    auto* header = view.findChild<UtilityPanelHeader*>();
    ASSERT_NE(header, nullptr);
    view.show();
    header->closeButton()->click();
    EXPECT_EQ(closed, 1);
    test::saveScreenshot(view, QStringLiteral("shortcut_help"));
}

TEST_F(UtilityPanelsTest, RecordsOfTheLastSevenDaysShowLatestFirst) {
    const MediaItem a = item(QStringLiteral("a.jpg"));
    const MediaItem b = item(QStringLiteral("b.jpg"));
    const MediaItem c = item(QStringLiteral("c.jpg"));
    const MediaItem future = item(QStringLiteral("future.jpg"));
    const MediaItem old = item(QStringLiteral("old.jpg"));
    const QList<DeletedRecord> records{
        record(a, now - 100),        record(b, now - 100),       record(old, now - week),
        record(c, now - (week - 1)), record(future, now + 3600),
    };
    const QList<DeletedRecord> shown =
        DeletedRecordsView::matching(records, QStringLiteral("   "), Date{now});
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown[0].item.id, future.id);
    EXPECT_EQ(shown[1].item.id, a.id);  // equal times keep the archive's order
    EXPECT_EQ(shown[2].item.id, b.id);
    EXPECT_EQ(shown[3].item.id, c.id);
    EXPECT_EQ(DeletedRecordRow::remainingDays(shown[3], Date{now}), 1);
    EXPECT_EQ(DeletedRecordRow::remainingDays(shown[0], Date{now}), 7);
}

TEST_F(UtilityPanelsTest, SearchLooksInPathsNotesAndEveryValueButNeverTheRating) {
    const Category people = property(QStringLiteral("사람"));
    MediaItem trip = item(QStringLiteral("Trip/IMG_0001.JPG"), 5);
    MediaItem noted = item(QStringLiteral("x.jpg"), 5);
    noted.notes = QStringLiteral("Straße am Meer");
    MediaItem valued = item(QStringLiteral("y.jpg"));
    valued.labels.insert_or_assign(people.idText(), QStringList{QStringLiteral("민수")});
    // A value under a property the archive no longer lists still counts.
    valued.labels.insert_or_assign(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(),
                                   QStringList{QStringLiteral("gone-tag")});
    const QList<DeletedRecord> records{record(trip, now), record(noted, now), record(valued, now)};
    auto find = [&](const QString& search) {
        QStringList names;
        for (const DeletedRecord& r : DeletedRecordsView::matching(records, search, Date{now})) {
            names.append(r.item.filename);
        }
        return names;
    };
    EXPECT_EQ(find(QStringLiteral("trip")), QStringList{QStringLiteral("Trip/IMG_0001.JPG")});
    EXPECT_EQ(find(QStringLiteral(" img ")), QStringList{QStringLiteral("Trip/IMG_0001.JPG")});
    EXPECT_EQ(find(QStringLiteral("STRASSE")), QStringList{QStringLiteral("x.jpg")});
    EXPECT_EQ(find(QStringLiteral("민수")), QStringList{QStringLiteral("y.jpg")});
    EXPECT_EQ(find(QStringLiteral("GONE-TAG")), QStringList{QStringLiteral("y.jpg")});
    EXPECT_EQ(find(QStringLiteral("5")), QStringList());
    // A search never matches across the end of one text and the start of the next.
    EXPECT_EQ(find(QStringLiteral("jpgStraße")), QStringList());
}

TEST_F(UtilityPanelsTest, RowsShowTheirPlaceValuesAndDaysLeft) {
    const Category rating = property(QStringLiteral("별점"), PropertyKind::rating);
    const Category a = property(QStringLiteral("A"));
    const Category b = property(QStringLiteral("B"));
    const Category empty = property(QStringLiteral("E"));
    MediaItem six = item(QStringLiteral("x/y/a.jpg"), 3);
    six.labels.insert_or_assign(
        a.idText(), QStringList{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")});
    six.labels.insert_or_assign(
        b.idText(), QStringList{QStringLiteral("u"), QStringLiteral("v"), QStringLiteral("w")});
    six.labels.insert_or_assign(empty.idText(), QStringList{});
    six.labels.insert_or_assign(rating.idText(), QStringList{QStringLiteral("hidden")});
    const QList<Category> categories{rating, a, b, empty};
    EXPECT_EQ(DeletedRecordRow::compactLabels(six, categories),
              QStringLiteral("x \u00B7 y \u00B7 z \u00B7 u"));
    EXPECT_EQ(DeletedRecordRow::properties(six, categories).size(), 2);
    EXPECT_EQ(DeletedRecordRow::locationText(six, false), QStringLiteral("x \u203A y"));
    EXPECT_EQ(DeletedRecordRow::locationText(item(QStringLiteral("a.jpg")), false),
              QStringLiteral("선택한 폴더"));
    EXPECT_EQ(DeletedRecordRow::locationText(six, true), QStringLiteral("사진 보관함"));

    const std::pair<double, int> ages[] = {
        {0, 7},       {1, 7},       {day, 6},      {5 * day + 86399, 2},
        {6 * day, 1}, {7 * day, 1}, {30 * day, 1}, {-day, 7},
    };
    for (const auto& [age, days] : ages) {
        EXPECT_EQ(DeletedRecordRow::remainingDays(record(six, now - age), Date{now}), days) << age;
    }

    DeletedRecordRow row(record(six, now - 6 * day), categories, false, Date{now});
    EXPECT_EQ(row.badgeText(), QStringLiteral("1일 남음"));
    EXPECT_TRUE(row.badgeIsUrgent());
    EXPECT_FALSE(row.isExpanded());
    row.show();
    QTest::mouseClick(row.summary(), Qt::LeftButton);
    EXPECT_TRUE(row.isExpanded());
    EXPECT_TRUE(row.details()->isVisible());
    QStringList texts;
    for (const QLabel* label : row.details()->findChildren<QLabel*>()) {
        texts.append(label->text());
    }
    EXPECT_TRUE(texts.contains(QStringLiteral("3점")));
    EXPECT_TRUE(texts.contains(QStringLiteral("u \u00B7 v \u00B7 w")));
    EXPECT_FALSE(texts.contains(QStringLiteral("hidden")));
    EXPECT_FALSE(texts.contains(QStringLiteral("메모")));
    QTest::mouseClick(row.summary(), Qt::LeftButton);
    EXPECT_FALSE(row.isExpanded());
}

// The interface is Korean, and so are its dates, whatever the system's locale.
TEST_F(UtilityPanelsTest, RowDatesAreKoreanUnderAnotherLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    const Date deleted{
        static_cast<double>(QDateTime(QDate(2023, 12, 8), QTime(15, 4)).toSecsSinceEpoch())};
    EXPECT_EQ(DeletedRecordRow::dayText(deleted), QStringLiteral("12월 8일"));
    EXPECT_EQ(DeletedRecordRow::momentText(deleted), QStringLiteral("2023년 12월 8일 오후 3:04"));
    QLocale::setDefault(saved);
}

TEST_F(UtilityPanelsTest, ThePanelCountsSearchesAndTicksWithTheStoreClock) {
    DeletedArchive archive;
    archive.records = {record(item(QStringLiteral("Trip/IMG_0001.JPG")), now - (week - 30)),
                       record(item(QStringLiteral("b.jpg"), 2), now - day),
                       record(item(QStringLiteral("c.mov")), now)};
    int closed = 0;
    DeletedRecordsView view(archive, false, clock, [&] { ++closed; });
    view.show();
    EXPECT_EQ(view.countText(), QStringLiteral("3"));
    EXPECT_EQ(view.rows().size(), 3);
    EXPECT_FALSE(view.clearButton()->isVisible());
    EXPECT_EQ(view.footerText(), QStringLiteral("분류 기록만 7일 보관 · 원본 복구는 휴지통에서"));
    test::saveScreenshot(view, QStringLiteral("deleted_records_panel"));

    view.rows().last()->setExpanded(true);  // the oldest record
    clock.advance(60);  // the oldest leaves the window at the first tick after its seventh day
    EXPECT_EQ(view.countText(), QStringLiteral("2"));
    EXPECT_TRUE(view.rows().first()->badgeText() == QStringLiteral("7일 남음"));
    view.rows().last()->setExpanded(true);
    clock.advance(60);
    EXPECT_TRUE(view.rows().last()->isExpanded());  // a tick keeps rows as they were

    QTest::keyClicks(view.searchField(), QStringLiteral("zzz"));
    EXPECT_TRUE(view.showsEmptyState());
    EXPECT_EQ(view.emptyTitle(), QStringLiteral("일치하는 기록이 없어요"));
    EXPECT_EQ(view.countText(), QStringLiteral("0"));
    EXPECT_TRUE(view.clearButton()->isVisible());
    view.clearButton()->click();
    EXPECT_EQ(view.searchField()->text(), QString());
    EXPECT_EQ(view.countText(), QStringLiteral("2"));

    archive.records.clear();
    view.setArchive(archive);  // a purge hands over the new records
    EXPECT_TRUE(view.showsEmptyState());
    EXPECT_EQ(view.emptyTitle(), QStringLiteral("보관 중인 삭제 기록이 없어요"));

    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_EQ(closed, 1);
}

// Forty records and one at the end of its seventh day, all rows made, the list scrolled half way
// with one row expanded; `expire` makes the old record go, and the rest stays as it was.
void expectTheOldRecordLeavesAlone(test::ManualClock& clock, double now,
                                   const std::function<void(DeletedRecordsView&)>& expire) {
    DeletedArchive archive;
    for (int i = 0; i < 40; ++i) {
        archive.records.append(record(item(QStringLiteral("f%1.jpg").arg(i)), now - i));
    }
    archive.records.append(record(item(QStringLiteral("old.jpg")), now - (week - 30)));
    DeletedRecordsView view(archive, false, clock, [] {});
    view.show();
    QScrollBar* bar = view.findChild<QScrollArea*>()->verticalScrollBar();
    for (int batch = 0; batch < 10 && view.rows().size() < 41; ++batch) {
        QCoreApplication::sendPostedEvents();
        bar->setValue(bar->maximum());
    }
    const QList<DeletedRecordRow*> made = view.rows();
    ASSERT_EQ(made.size(), 41);
    made[20]->setExpanded(true);
    bar->setValue(bar->maximum() / 2);
    const int place = bar->value();

    expire(view);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(view.rows(), made.first(40));
    EXPECT_TRUE(made[20]->isExpanded());
    EXPECT_EQ(bar->value(), place);
    EXPECT_EQ(view.countText(), QStringLiteral("40"));
}

TEST_F(UtilityPanelsTest, ATickKeepsTheRowsMadeTheirExpansionAndTheScrollPlace) {
    expectTheOldRecordLeavesAlone(clock, now, [this](DeletedRecordsView&) {
        clock.advance(60);  // old.jpg reaches its seventh day
    });
}

TEST_F(UtilityPanelsTest, APurgeKeepsTheRowsMadeTheirExpansionAndTheScrollPlace) {
    expectTheOldRecordLeavesAlone(clock, now, [](DeletedRecordsView& view) {
        DeletedArchive purged;
        for (const DeletedRecordRow* row : view.rows().first(40)) {
            purged.records.append(row->record());
        }
        view.setArchive(purged);  // the store purged old.jpg before the panel's own tick
    });
}

TEST_F(UtilityPanelsTest, ThePhotoLibraryPanelPointsToTheTrashAndRowsAreMadeAsTheListScrolls) {
    DeletedArchive archive;
    for (int i = 0; i < 500; ++i) {
        archive.records.append(record(item(QStringLiteral("f%1.jpg").arg(i)), now - i));
    }
    DeletedRecordsView view(archive, true, clock, [] {});
    view.show();
    EXPECT_EQ(view.countText(), QStringLiteral("500"));
    EXPECT_LT(view.rows().size(), 100);
    EXPECT_TRUE(view.footerText().endsWith(QStringLiteral("휴지통에서")));
}

}  // namespace
}  // namespace lumivex
