#pragma once

class QCoreApplication;

namespace lumivex {

// Qt's own Korean texts (standard buttons, the file dialog, context menus of text fields), so that
// the dialogs Qt draws follow the Korean interface whatever the user's locale. Main thread.
namespace QtTranslations {

// Loads Qt's Korean translations into `application`; false when they are not installed.
bool install(QCoreApplication& application);

}  // namespace QtTranslations
}  // namespace lumivex
