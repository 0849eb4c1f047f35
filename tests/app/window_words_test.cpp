#include "app/desktop_shell.h"
#include "app/file_chooser_dialog.h"
#include "app/lumivex_app.h"
#include "support/event_loop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

namespace lumivex::test {
namespace {

// The window system appends a set display name to every title: "Dovrin 설정 — Dovrin".
TEST(WindowWords, TheProcessSetsNoNameToAppendToWindowTitles) {
    QCoreApplication::setApplicationName(QStringLiteral("Lumivex"));
    LumivexApp::setUpProcess(*qApp);
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("Lumivex"));
    // Nor may an untitled alert show the process's name.
    QMessageBox alert;
    alert.ensurePolished();
    EXPECT_EQ(alert.windowTitle(), QStringLiteral("Dovrin"));
}

// Every word the open dialog shows: its labels, buttons and tips, and each column of each row.
QStringList shownTexts(const FileChooserDialog& dialog) {
    QStringList texts{dialog.windowTitle()};
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        texts << label->text();
    }
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        texts << button->text() << button->toolTip();
    }
    const auto* view = dialog.findChild<QTreeView*>();
    const QAbstractItemModel* columns = view->model();
    const QModelIndex folder = view->rootIndex();
    for (int column = 0; column < columns->columnCount(folder); ++column) {
        texts << columns->headerData(column, Qt::Horizontal).toString();
        for (int row = 0; row < columns->rowCount(folder); ++row) {
            texts << columns->index(row, column, folder).data().toString();
        }
    }
    return texts;
}

// The export dialog over a folder holding a folder and a small CSV file: a short title, the
// explanation inside, and no English (Qt's file model writes types, sizes and dates in the
// system's language).
TEST(WindowWords, TheExportDialogHasAShortTitleAndNoEnglish) {
    LumivexApp::setUpProcess(*qApp);  // Qt's own Korean texts, as the application has them
    QTemporaryDir temp;
    ASSERT_TRUE(QDir(temp.path()).mkdir(QStringLiteral("보관")));
    QFile csv(temp.filePath(QStringLiteral("기록.csv")));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("a,b\n");
    csv.close();

    QStringList texts;
    QString message;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<FileChooserDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->files().setDirectory(temp.path());
        const auto* view = dialog->findChild<QTreeView*>();
        runEventsUntil([&] { return view->model()->rowCount(view->rootIndex()) == 2; },
                       "the listing");
        texts = shownTexts(*dialog);
        message = dialog->message()->text();
        dialog->reject();
    });
    DesktopShell shell;
    EXPECT_EQ(shell.chooseExportFile(QStringLiteral("Dovrin-분류.csv"), QStringLiteral("설명")),
              std::nullopt);
    ASSERT_FALSE(texts.isEmpty());
    EXPECT_EQ(texts.first(), QStringLiteral("CSV 내보내기"));
    EXPECT_EQ(message, QStringLiteral("설명"));
    const QRegularExpression english(QStringLiteral("\\b(?!CSV\\b|csv\\b|Dovrin\\b)[A-Za-z]{3,}"));
    for (const QString& text : texts) {
        EXPECT_FALSE(english.match(text).hasMatch()) << text.toStdString();
    }
    EXPECT_TRUE(texts.contains(QStringLiteral("폴더")));
}

}  // namespace
}  // namespace lumivex::test
