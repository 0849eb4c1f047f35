#include "platform/directory_listing.h"
#include "platform/error.h"
#include "platform/media_type.h"
#include "support/child_step.h"
#include "support/test_files.h"
#include "support/unprivileged.h"

#include <QFile>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cerrno>

using namespace lumivex;
using namespace lumivex::test;

namespace {

QSet<QString> names(const QList<DirectoryEntry>& entries) {
    QSet<QString> result;
    for (const DirectoryEntry& entry : entries) {
        result.insert(entry.name);
    }
    return result;
}

int errorNumberOfListing(const QString& folder) {
    try {
        DirectoryListing::entries(folder);
    } catch (const Error& error) {
        return error.systemErrorNumber();
    }
    return 0;
}

}  // namespace

TEST(DirectoryListing, SkipsHiddenAndNonUtf8NamesAndNeverFollowsLinks) {
    QTemporaryDir root;
    writeFile(root.filePath(QStringLiteral("photo.jpg")), "12345");
    writeFile(root.filePath(QStringLiteral(".hidden.jpg")), "x");
    writeFile(root.filePath(QStringLiteral(".lumivex/lumivex.csv")), "x");
    writeFile(root.filePath(QStringLiteral("사진/a.jpg")), "x");
    makeSymbolicLink(root.filePath(QStringLiteral("사진")), root.filePath(QStringLiteral("link")));
    const RawNamedFile invalid(root.path(), QByteArray("bad\xff\xfe.jpg"));
    const RawNamedFile decomposed(root.path(), QByteArray("e\xcc\x81.jpg"));  // valid UTF-8

    const QList<DirectoryEntry> entries = DirectoryListing::entries(root.path());
    EXPECT_EQ(names(entries),
              (QSet<QString>{QStringLiteral("photo.jpg"), QStringLiteral("사진"),
                             QStringLiteral("link"), QString::fromUtf8("e\xcc\x81.jpg")}));
    for (const DirectoryEntry& entry : entries) {
        if (entry.name == u"photo.jpg") {
            EXPECT_TRUE(entry.status.isRegularFile());
            EXPECT_EQ(entry.status.size, 5);
        } else if (entry.name == u"link") {
            EXPECT_TRUE(entry.status.isSymbolicLink());
        } else if (entry.name == u"사진") {
            EXPECT_TRUE(entry.status.isDirectory());
        }
    }
}

// QString::fromUtf8 and QFile::decodeName drop a leading U+FEFF; a name is kept as it is.
TEST(DirectoryListing, KeepsAByteOrderMarkThatBeginsAName) {
    QTemporaryDir root;
    const QString mark(QChar(0xFEFF));
    writeFile(root.filePath(mark + QStringLiteral("photo.jpg")), "x");
    writeFile(root.filePath(QStringLiteral("photo.jpg")), "x");
    writeFile(root.filePath(mark + QStringLiteral("2024/a.jpg")), "x");
    EXPECT_EQ(names(DirectoryListing::entries(root.path())),
              (QSet<QString>{mark + QStringLiteral("photo.jpg"), QStringLiteral("photo.jpg"),
                             mark + QStringLiteral("2024")}));
    EXPECT_EQ(names(DirectoryListing::entries(root.filePath(mark + QStringLiteral("2024")))),
              QSet<QString>{QStringLiteral("a.jpg")});
}

TEST(DirectoryListing, FoldersThatCannotBeOpenedThrow) {
    QTemporaryDir root;
    writeFile(root.filePath(QStringLiteral("file")), "x");
    EXPECT_EQ(errorNumberOfListing(root.filePath(QStringLiteral("missing"))), ENOENT);
    EXPECT_EQ(errorNumberOfListing(root.filePath(QStringLiteral("file"))), ENOTDIR);
    EXPECT_TRUE(DirectoryListing::entries(root.path()).size() == 1);
}

namespace {

// Lists four folders under the first argument without the superuser's rights; reports each
// listing's error number and whether it counts as a refusal.
const ChildStep listings("listing-refused-folders", [](const QStringList& arguments) {
    return withoutRights([&] {
        QStringList results;
        for (const char* name : {"closed", "unsearchable", "empty-unsearchable", "unreadable"}) {
            try {
                DirectoryListing::entries(arguments[0] + u'/' + QString::fromUtf8(name));
                results.append(QStringLiteral("listed"));
            } catch (const Error& error) {
                results.append(QString::number(error.systemErrorNumber()) +
                               (DirectoryListing::refused(error) ? u'R' : u'-'));
            }
        }
        return results.join(u' ');
    });
});

}  // namespace

// A folder that may be read but not searched names its entries but cannot tell what they are, so
// it is refused whole, even when it holds nothing visible; only refusals count as refused.
TEST(DirectoryListing, FoldersWithoutReadOrSearchPermissionAreRefused) {
    QTemporaryDir root;
    for (const char* name : {"closed", "unsearchable", "empty-unsearchable", "unreadable"}) {
        makeDirectories(root.filePath(QString::fromUtf8(name)));
    }
    writeFile(root.filePath(QStringLiteral("closed/a.jpg")), "x");
    writeFile(root.filePath(QStringLiteral("unsearchable/a.jpg")), "x");
    writeFile(root.filePath(QStringLiteral("unreadable/a.jpg")), "x");
    handOver(root.path());
    setMode(root.path(), 0755);
    setMode(root.filePath(QStringLiteral("closed")), 0);
    setMode(root.filePath(QStringLiteral("unsearchable")), 0444);
    setMode(root.filePath(QStringLiteral("empty-unsearchable")), 0444);
    setMode(root.filePath(QStringLiteral("unreadable")), 0111);
    const QString report = asUnprivilegedUser(listings, {root.path()});
    const QString refused = QString::number(EACCES) + u'R';
    EXPECT_EQ(report, QStringList({refused, refused, refused, refused}).join(u' '));
    for (const char* name : {"closed", "unsearchable", "empty-unsearchable", "unreadable"}) {
        setMode(root.filePath(QString::fromUtf8(name)), 0755);
    }
    try {
        DirectoryListing::entries(root.filePath(QStringLiteral("missing")));
    } catch (const Error& error) {
        EXPECT_FALSE(DirectoryListing::refused(error));
    }
}

TEST(MediaType, ClassifiesByExtensionIgnoringCase) {
    for (const char* photo : {"a.jpg", "a.JPG", "a.jpeg", "a.png", "a.heic", "a.HEIC", "a.tif",
                              "a.dng", "a.gif", "a.webp", "x.y.Jpg"}) {
        EXPECT_EQ(MediaType::ofFile(QString::fromUtf8(photo)), MediaContent::photo) << photo;
    }
    for (const char* video : {"a.mp4", "a.MOV", "a.m4v", "a.mkv", "a.avi", "a.webm", "a.3gp"}) {
        EXPECT_EQ(MediaType::ofFile(QString::fromUtf8(video)), MediaContent::video) << video;
    }
    for (const char* other :
         {"a.mp3", "a.m4a", "a.txt", "a.pdf", "a", "a.", "a.unknownext", "a.csv", "jpg"}) {
        EXPECT_EQ(MediaType::ofFile(QString::fromUtf8(other)), MediaContent::none) << other;
    }
}

TEST(DirectoryListing, AReusedEntryTakesEachNameWhole) {
    QTemporaryDir dir;
    const QStringList names{QStringLiteral("a-much-longer-name.jpg"), QStringLiteral("b.jpg"),
                            QStringLiteral("사진.jpg"), QStringLiteral("c.mov")};
    for (const QString& name : names) {
        test::writeFile(dir.filePath(name), "x");
    }
    DirectoryListing listing(dir.path());
    DirectoryEntry entry;
    QSet<QString> seen;
    while (listing.next(entry)) {
        seen.insert(entry.name);
        EXPECT_EQ(entry.status.size, 1);
    }
    EXPECT_EQ(seen, QSet<QString>(names.begin(), names.end()));
}

// The types read from the listing itself must be the ones statx gives, and an examined entry must
// hold what a plain listing holds, so that callers may choose either.
TEST(DirectoryListing, TypedEntriesAgreeWithExaminedOnes) {
    QTemporaryDir root;
    writeFile(root.filePath(QStringLiteral("photo.jpg")), "12345");
    writeFile(root.filePath(QStringLiteral(".hidden/a.jpg")), "x");
    writeFile(root.filePath(QStringLiteral("사진/a.jpg")), "x");
    makeSymbolicLink(root.filePath(QStringLiteral("사진")), root.filePath(QStringLiteral("link")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(root.filePath(QStringLiteral("pipe"))).constData(), 0600),
              0);
    const RawNamedFile invalid(root.path(), QByteArray("bad\xff\xfe"));
    QMap<QString, FileStatus> plain;
    for (const DirectoryEntry& entry : DirectoryListing::entries(root.path())) {
        plain.insert(entry.name, entry.status);
    }
    DirectoryListing listing(root.path());
    DirectoryEntry entry;
    QMap<QString, FileStatus> examined;
    while (listing.nextType(entry)) {
        ASSERT_TRUE(plain.contains(entry.name)) << entry.name.toStdString();
        EXPECT_EQ(entry.status.type, plain[entry.name].type) << entry.name.toStdString();
        EXPECT_FALSE(entry.status.inode.has_value());
        ASSERT_TRUE(listing.examine(entry));
        examined.insert(entry.name, entry.status);
    }
    EXPECT_FALSE(listing.examine(entry));
    EXPECT_EQ(examined, plain);
    EXPECT_EQ(plain[QStringLiteral("pipe")].type, FileType::other);
    EXPECT_EQ(DirectoryListing::subfolders(root.path()), QStringList{QStringLiteral("사진")});
}

TEST(DirectoryListing, AnEntryThatVanishedBeforeItsExaminationIsReported) {
    QTemporaryDir root;
    writeFile(root.filePath(QStringLiteral("a.jpg")), "x");
    DirectoryListing listing(root.path());
    DirectoryEntry entry;
    ASSERT_TRUE(listing.nextType(entry));
    ASSERT_TRUE(QFile::remove(root.filePath(entry.name)));
    EXPECT_FALSE(listing.examine(entry));
    EXPECT_FALSE(listing.nextType(entry));
}
