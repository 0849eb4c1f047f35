#pragma once

#include <QString>
#include <QStringList>

namespace lumivex {

// What the photo access screens say while access is restricted because the photo library's
// folders (the user's Pictures and Videos folders) are missing or unreadable: which folders,
// and that creating one is the remedy, not a consent answer. Main thread.
namespace PhotoFolderNote {

// The heading of the guide in that state.
QString heading();
// The note naming `folders`, one path a line.
QString missing(const QStringList& folders);

}  // namespace PhotoFolderNote
}  // namespace lumivex
