// Reads arbitrary bytes as the user-defaults file. A file the store cannot read is moved aside,
// never overwritten; one it reads is written back after a change as a file it reads again to the
// same values: writing it once more gives the same bytes.
#include "platform/user_defaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

using lumivex::UserDefaults;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const std::uint8_t* data, std::size_t size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QTemporaryDir folder;
    static const QString path = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        return folder.filePath(QStringLiteral("defaults.json"));
    }();
    const QString aside = path + QStringLiteral(".corrupt");
    write(path, data, size);
    const QString marker = QStringLiteral("fuzz.marker");
    {
        UserDefaults first(path);
        if (!QFile::exists(path)) {
            if (contents(aside) !=
                QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))) {
                std::abort();  // the unreadable file must be kept as it was
            }
            QFile::remove(aside);
            return 0;
        }
        first.setText(marker, QStringLiteral("1"));
    }
    const QByteArray written = contents(path);
    UserDefaults second(path);
    if (!QFile::exists(path) || second.text(marker) != QStringLiteral("1")) {
        std::abort();  // what the store wrote, it must read back
    }
    second.setText(marker, QStringLiteral("2"));
    second.setText(marker, QStringLiteral("1"));
    if (contents(path) != written) {
        std::abort();
    }
    return 0;
}
