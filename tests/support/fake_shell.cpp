#include "support/fake_shell.h"

namespace lumivex::test {

std::optional<QString> FakeShell::chooseFolder(const QString& startFolder, const QString& message,
                                               const QString& confirmTitle) {
    Q_UNUSED(message);
    Q_UNUSED(confirmTitle);
    folderPanelStarts.append(startFolder);
    return chosenFolder;
}

std::optional<QString> FakeShell::chooseExportFile(const QString& proposedName,
                                                   const QString& message) {
    Q_UNUSED(message);
    exportProposals.append(proposedName);
    return chosenExportFile;
}

}  // namespace lumivex::test
