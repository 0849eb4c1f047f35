#pragma once

#include "store/shell_services.h"

#include <QStringList>

namespace lumivex::test {

// Desktop services that answer from a script and remember what they were asked.
class FakeShell final : public ShellServices {
public:
    std::optional<QString> chosenFolder;
    std::optional<QString> chosenExportFile;
    QStringList folderPanelStarts;
    QStringList exportProposals;
    QStringList revealed;
    QStringList opened;
    int endedEditing = 0;
    int longWorkBegun = 0;
    int longWorkOpen = 0;  // begun and not yet ended

    std::optional<QString> chooseFolder(const QString& startFolder, const QString& message,
                                        const QString& confirmTitle) override;
    std::optional<QString> chooseExportFile(const QString& proposedName,
                                            const QString& message) override;
    void reveal(const QString& path) override { revealed.append(path); }
    void open(const QString& path) override { opened.append(path); }
    void endTextEditing() override { ++endedEditing; }
    void beginLongWork() override { ++longWorkBegun, ++longWorkOpen; }
    void endLongWork() override { --longWorkOpen; }
};

}  // namespace lumivex::test
