#include "platform/sha256.h"

#include <QCryptographicHash>

#include <openssl/evp.h>

namespace lumivex::Sha256 {

namespace {

// Fetched once: a fetch by name on every digest costs as much as hashing a small file.
const EVP_MD* algorithm() {
    static const EVP_MD* const md = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    return md;
}

}  // namespace

// Qt's own implementation, some seven times slower, stands in should libcrypto have no SHA-256.
QByteArray of(QByteArrayView bytes) {
    QByteArray digest(32, Qt::Uninitialized);
    unsigned int length = 0;
    if (algorithm() != nullptr &&
        EVP_Digest(bytes.data(), static_cast<size_t>(bytes.size()),
                   reinterpret_cast<unsigned char*>(digest.data()), &length, algorithm(),
                   nullptr) == 1 &&
        length == 32) {
        return digest;
    }
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

}  // namespace lumivex::Sha256
