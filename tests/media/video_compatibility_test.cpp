#include "media/video_compatibility.h"

#include "media/h264_mp4_converter.h"
#include "platform/error.h"
#include "support/futures.h"
#include "support/video_encoding.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avformat.h>
}

namespace lumivex {
namespace {

using test::EncodedClip;
using test::PictureCodec;
using test::writeEncodedClip;

class VideoCompatibilityTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return folder.filePath(name); }
    QString cache() const { return folder.filePath(QStringLiteral("cache")); }

    QTemporaryDir folder;
};

TEST_F(VideoCompatibilityTest, ConvertsAnAV1Clip) {
    const QString source = path(QStringLiteral("clip.mkv"));
    writeEncodedClip(
        source,
        {.picture = PictureCodec::av1, .frames = 10, .sound = true, .container = "matroska"});
    EXPECT_TRUE(VideoCompatibility::requiresCopy(source));
    QList<double> reports;
    const QString result = test::waitFor(VideoCompatibility::playbackURL(
        source, cache(), [&](double fraction) { reports.append(fraction); }));
    EXPECT_EQ(result,
              cache() + u'/' + VideoCompatibility::cacheKey(source) + QStringLiteral(".mp4"));
    EXPECT_FALSE(VideoCompatibility::requiresCopy(result));
    EXPECT_EQ(reports.front(), 0.0);
    EXPECT_EQ(reports.back(), 1.0);
    EXPECT_EQ(QDir(cache()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

}  // namespace
}  // namespace lumivex
