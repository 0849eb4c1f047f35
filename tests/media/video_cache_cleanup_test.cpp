#include "media/video_compatibility.h"

#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

namespace lumivex {
namespace {

constexpr double at = 1'800'000'000;
constexpr std::int64_t gibibyte = std::int64_t{1} << 30;

QString hexName(char fill, int length = 64) {
    return QString(length, QLatin1Char(fill)) + QStringLiteral(".mp4");
}

class VideoCacheCleanupTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return folder.filePath(name); }

    // A sparse file of `size` bytes last modified `age` seconds before `at`.
    QString file(const QString& name, double age, std::int64_t size = 10) {
        const QString filePath = path(name);
        const int fd = ::open(QFile::encodeName(filePath).constData(), O_CREAT | O_WRONLY, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::ftruncate(fd, size), 0);
        ::close(fd);
        age_(filePath, age);
        return filePath;
    }
    static void age_(const QString& filePath, double age) {
        const double seconds = at - age;
        const timespec times[2] = {
            {0, UTIME_OMIT},
            {static_cast<time_t>(seconds),
             static_cast<long>((seconds - static_cast<time_t>(seconds)) * 1e9)}};
        ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(filePath).constData(), times,
                            AT_SYMLINK_NOFOLLOW),
                  0);
    }
    QStringList names() const {
        return QDir(folder.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    }
    void clean(const std::optional<QString>& preserving = std::nullopt) {
        VideoCompatibility::cleanup(folder.path(), preserving, Date{at});
    }

    QTemporaryDir folder;
};

TEST_F(VideoCacheCleanupTest, AMissingFolderIsLeftAlone) {
    const QString missing = path(QStringLiteral("missing"));
    VideoCompatibility::cleanup(missing, std::nullopt, Date{at});
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST_F(VideoCacheCleanupTest, CopiesExpireAfterSevenDaysAndTemporaryFilesAfterOne) {
    file(hexName('a'), 604800);
    file(hexName('b'), 604799);
    file(QStringLiteral(".preparing-A.mp4"), 86400);
    file(QStringLiteral(".preparing-B.mp4"), 86399.5);
    clean();
    EXPECT_EQ(names(), QStringList({QStringLiteral(".preparing-B.mp4"), hexName('b')}));
}

TEST_F(VideoCacheCleanupTest, OnlyNamesOfTheCacheFormsAreTouched) {
    const QStringList foreign = {
        QString(64, u'c') + QStringLiteral(".MP4"),
        hexName('d', 63),
        hexName('e', 65),
        QStringLiteral("F") + QString(63, u'f') + QStringLiteral(".mp4"),
        QStringLiteral(".preparing-C.mov"),
        QStringLiteral("notes.txt"),
    };
    for (const QString& name : foreign) {
        file(name, 10 * 604800);
    }
    const QString target = file(QStringLiteral("target"), 10 * 604800);
    test::makeSymbolicLink(target, path(hexName('1')));
    age_(path(hexName('1')), 10 * 604800);
    test::makeDirectories(path(hexName('2')));
    age_(path(hexName('2')), 10 * 604800);

    clean();
    QStringList expected = foreign;
    expected << QStringLiteral("target") << hexName('1') << hexName('2');
    expected.sort();
    EXPECT_EQ(names(), expected);
}

TEST_F(VideoCacheCleanupTest, OverTwoGibibytesTheLeastRecentlyUsedCopiesGo) {
    file(hexName('a'), 300, gibibyte * 3 / 2);
    file(hexName('b'), 200, gibibyte / 2);
    file(hexName('c'), 100, gibibyte / 4);
    // A young temporary file counts for nothing.
    file(QStringLiteral(".preparing-X.mp4"), 10, gibibyte);
    clean();
    EXPECT_EQ(names(),
              QStringList({QStringLiteral(".preparing-X.mp4"), hexName('b'), hexName('c')}));

    // Exactly 2 GiB is within the limit.
    file(hexName('d'), 400, gibibyte * 5 / 4);
    clean();
    EXPECT_EQ(names().size(), 4);
}

TEST_F(VideoCacheCleanupTest, ThePreservedCopyStaysAndCountsTowardsTheLimit) {
    file(hexName('a'), 300, 1);
    file(hexName('b'), 200, 1);
    const QString preserved = file(hexName('c'), 10 * 604800, 3 * gibibyte);
    clean(preserved);
    EXPECT_EQ(names(), QStringList{hexName('c')});
}

TEST_F(VideoCacheCleanupTest, CopiesOfEqualAgeGoInListingOrder) {
    file(hexName('a'), 100, gibibyte * 3 / 2);
    file(hexName('b'), 100, gibibyte * 3 / 2);
    QStringList listed;
    DIR* stream = ::opendir(QFile::encodeName(folder.path()).constData());
    while (const dirent* entry = ::readdir(stream)) {
        if (entry->d_name[0] != '.') {
            listed.append(QFile::decodeName(entry->d_name));
        }
    }
    ::closedir(stream);
    ASSERT_EQ(listed.size(), 2);
    clean();
    EXPECT_EQ(names(), QStringList{listed[1]});
}

}  // namespace
}  // namespace lumivex
