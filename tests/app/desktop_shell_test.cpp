#include "app/desktop_shell.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
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

}  // namespace
}  // namespace lumivex
