#pragma once

#include <QDir>
#include <QString>
#include <QWidget>

namespace lumivex::test {

// Saves what `widget` draws as a PNG under the build folder's "screenshots", for a person to look
// at; tests assert on widget state, not on these pictures.
inline void saveScreenshot(QWidget& widget, const QString& name) {
    const QString folder = QStringLiteral(LUMIVEX_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    widget.grab().save(folder + u'/' + name + QStringLiteral(".png"));
}

}  // namespace lumivex::test
