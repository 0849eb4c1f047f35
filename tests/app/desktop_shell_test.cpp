#include "app/desktop_shell.h"
#include "app/file_chooser_dialog.h"
#include "support/temporary_trash_home.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

// A selection made in the grid ends the typing in a text field, and nothing else: the control
// that holds the keyboard keeps it.
TEST(DesktopShellTest, EndingTextEditingTakesTheKeyboardFromATextFieldOnly) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* field = new QLineEdit(&window);
    auto* control = new QPushButton(QStringLiteral("control"), &window);
    layout->addWidget(field);
    layout->addWidget(control);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    DesktopShell shell;
    control->setFocus(Qt::MouseFocusReason);
    shell.endTextEditing();
    EXPECT_TRUE(control->hasFocus());
    field->setFocus(Qt::MouseFocusReason);
    shell.endTextEditing();
    EXPECT_EQ(QApplication::focusWidget(), nullptr);
}

// Without a documents folder the export starts at home, never in the process's working folder.
TEST(DesktopShellTest, TheExportStartsAtHomeWithoutADocumentsFolder) {
    QTemporaryDir temp;
    const test::TemporaryTrashHome home(temp.path());
    QString start;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<FileChooserDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        start = dialog->files().directory().absolutePath();
        dialog->reject();
    });
    DesktopShell shell;
    EXPECT_EQ(shell.chooseExportFile(QStringLiteral("Dovrin-분류.csv"), QString()), std::nullopt);
    EXPECT_EQ(start, QDir(home.home()).absolutePath());
}

// Long work paints what the windows hold now and shows the wait pointer over them until the
// outermost of nested work ends.
TEST(DesktopShellTest, LongWorkPaintsAndHoldsTheWaitPointerUntilTheOutermostEnds) {
    struct Painted : QWidget {
        int paints = 0;
        void paintEvent(QPaintEvent*) override { ++paints; }
    } window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const int paints = window.paints;
    DesktopShell shell;
    shell.beginLongWork();
    shell.beginLongWork();
    EXPECT_EQ(window.paints, paints + 1);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    shell.endLongWork();
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    shell.endLongWork();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace lumivex
