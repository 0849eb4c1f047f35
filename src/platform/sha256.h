#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace lumivex {

// SHA-256 through OpenSSL's libcrypto, which uses the processor's SHA instructions where it has
// them: the catalog hashes every file it reads, checks and writes, several times the bytes of a
// tree for a save of all its folders. Any thread.
namespace Sha256 {

// The 32-byte digest of `bytes`.
QByteArray of(QByteArrayView bytes);

}  // namespace Sha256
}  // namespace lumivex
