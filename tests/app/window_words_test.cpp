#include "app/lumivex_app.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace lumivex::test {
namespace {

// The window system appends a set display name to every title: "Dovrin 설정 — Dovrin".
TEST(WindowWords, TheProcessSetsNoNameToAppendToWindowTitles) {
    QCoreApplication::setApplicationName(QStringLiteral("Lumivex"));
    LumivexApp::setUpProcess(*qApp);
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("Lumivex"));
}

}  // namespace
}  // namespace lumivex::test
