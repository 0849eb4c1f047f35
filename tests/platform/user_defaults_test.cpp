#include "platform/user_defaults.h"

#include "support/test_files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace lumivex;
using lumivex::test::readFile;
using lumivex::test::writeFile;

namespace {

class UserDefaultsTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("config/Lumivex/defaults.json"));
};

TEST_F(UserDefaultsTest, TypesSurviveAReload) {
    const std::int64_t large = (std::int64_t{1} << 62) + 1;
    {
        UserDefaults defaults(path);
        defaults.setBool(QStringLiteral("flag"), false);
        defaults.setInteger(QStringLiteral("large"), large);
        defaults.setInteger(QStringLiteral("negative"), std::numeric_limits<std::int64_t>::min());
        defaults.setDouble(QStringLiteral("whole"), 3.0);
        defaults.setDouble(QStringLiteral("fraction"), 0.1);
        defaults.setDouble(QStringLiteral("infinite"), -HUGE_VAL);
        defaults.setText(QStringLiteral("empty"), QString());
        defaults.setText(QStringLiteral("korean"), QStringLiteral("사진 \"/\" 폴더"));
        defaults.setTextList(QStringLiteral("one"), {QStringLiteral("/x")});
        defaults.setTextList(QStringLiteral("none"), {});
        defaults.setText(QStringLiteral("marked"), QChar(0xFEFF) + QStringLiteral("x"));
    }
    const UserDefaults reloaded(path);
    EXPECT_EQ(reloaded.boolValue(QStringLiteral("flag")), false);
    EXPECT_EQ(reloaded.integerValue(QStringLiteral("large")), large);
    EXPECT_EQ(reloaded.integerValue(QStringLiteral("negative")),
              std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(reloaded.doubleValue(QStringLiteral("whole")), 3.0);
    EXPECT_FALSE(reloaded.integerValue(QStringLiteral("whole")));
    EXPECT_EQ(reloaded.doubleValue(QStringLiteral("fraction")), 0.1);
    EXPECT_EQ(reloaded.doubleValue(QStringLiteral("infinite")), -HUGE_VAL);
    EXPECT_EQ(reloaded.text(QStringLiteral("empty")), QString());
    EXPECT_EQ(reloaded.text(QStringLiteral("korean")), QStringLiteral("사진 \"/\" 폴더"));
    EXPECT_EQ(reloaded.textList(QStringLiteral("one")), QStringList{QStringLiteral("/x")});
    EXPECT_FALSE(reloaded.text(QStringLiteral("one")));
    EXPECT_EQ(reloaded.textList(QStringLiteral("none")), QStringList());
    EXPECT_EQ(reloaded.text(QStringLiteral("marked")), QChar(0xFEFF) + QStringLiteral("x"));
}

TEST_F(UserDefaultsTest, TellsAbsentFromAnotherType) {
    UserDefaults defaults(path);
    defaults.setText(QStringLiteral("Lumivex.recentFolders"), QStringLiteral("/x"));
    EXPECT_TRUE(defaults.contains(QStringLiteral("Lumivex.recentFolders")));
    EXPECT_FALSE(defaults.textList(QStringLiteral("Lumivex.recentFolders")));
    EXPECT_FALSE(defaults.boolValue(QStringLiteral("Lumivex.recentFolders")));
    EXPECT_FALSE(defaults.contains(QStringLiteral("absent")));
    EXPECT_FALSE(defaults.text(QStringLiteral("absent")));
    defaults.remove(QStringLiteral("Lumivex.recentFolders"));
    EXPECT_FALSE(UserDefaults(path).contains(QStringLiteral("Lumivex.recentFolders")));
}

TEST_F(UserDefaultsTest, SignalsEachRealChangeOnce) {
    UserDefaults defaults(path);
    QStringList keys;
    QObject::connect(&defaults, &UserDefaults::changed,
                     [&keys](const QString& key) { keys.append(key); });
    defaults.setInteger(QStringLiteral("columns"), 4);
    defaults.setInteger(QStringLiteral("columns"), 4);
    defaults.setDouble(QStringLiteral("columns"), 4.0);
    defaults.remove(QStringLiteral("columns"));
    defaults.remove(QStringLiteral("columns"));
    EXPECT_EQ(keys, QStringList(3, QStringLiteral("columns")));
}

TEST_F(UserDefaultsTest, KeepsACorruptFileAsideAndStartsEmpty) {
    const QByteArray bad = QByteArrayLiteral("{\"flag\": {\"bool\": tru");
    writeFile(path, bad);
    {
        UserDefaults defaults(path);
        EXPECT_FALSE(defaults.contains(QStringLiteral("flag")));
        EXPECT_EQ(readFile(path + QStringLiteral(".corrupt")), bad);
        EXPECT_FALSE(QFileInfo::exists(path));
        defaults.setBool(QStringLiteral("flag"), true);
    }
    EXPECT_EQ(UserDefaults(path).boolValue(QStringLiteral("flag")), true);

    // Valid JSON of another shape is not ours either; an earlier bad file stays where it was.
    const QByteArray foreign = QByteArrayLiteral("{\"flag\": true}");
    writeFile(path, foreign);
    EXPECT_FALSE(UserDefaults(path).contains(QStringLiteral("flag")));
    EXPECT_EQ(readFile(path + QStringLiteral(".corrupt")), bad);
    EXPECT_EQ(readFile(path + QStringLiteral(".corrupt-1")), foreign);
}

TEST_F(UserDefaultsTest, RefusesWholeFilesWithAnyMalformedEntry) {
    for (const QByteArray& bytes :
         {QByteArrayLiteral("[]"), QByteArrayLiteral("{\"a\": {\"integer\": \"1.5\"}}"),
          QByteArrayLiteral("{\"a\": {\"integer\": 1}}"),
          QByteArrayLiteral("{\"a\": {\"textList\": [\"x\", 1]}}"),
          QByteArrayLiteral("{\"a\": {\"text\": \"x\", \"bool\": true}}"),
          QByteArrayLiteral("{\"ok\": {\"bool\": true}, \"a\": {\"date\": \"1\"}}"),
          QByteArrayLiteral("{\"a\": {\"text\": \"\xff\"}}")}) {
        QDir(QFileInfo(path).path()).removeRecursively();
        writeFile(path, bytes);
        const UserDefaults defaults(path);
        EXPECT_FALSE(defaults.contains(QStringLiteral("ok"))) << bytes.toStdString();
        EXPECT_FALSE(defaults.contains(QStringLiteral("a"))) << bytes.toStdString();
        EXPECT_EQ(readFile(path + QStringLiteral(".corrupt")), bytes);
    }
}

TEST_F(UserDefaultsTest, AValueThatCannotBeWrittenStillHoldsForTheSession) {
    writeFile(folder.filePath(QStringLiteral("blocked")), QByteArrayLiteral("a file"));
    UserDefaults defaults(folder.filePath(QStringLiteral("blocked/defaults.json")));
    defaults.setInteger(QStringLiteral("columns"), 6);
    EXPECT_EQ(defaults.integerValue(QStringLiteral("columns")), 6);
}

}  // namespace
