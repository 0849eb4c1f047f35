#include "platform/app_brand.h"

namespace lumivex {

const QString& AppBrand::name() {
    static const QString value = QStringLiteral(LUMIVEX_DISPLAY_NAME);
    return value;
}

const QString& AppBrand::version() {
    static const QString value = QStringLiteral(LUMIVEX_VERSION);
    return value;
}

QString AppBrand::nameWith(KoreanParticle::Particle particle) {
    return KoreanParticle::attach(name(), particle);
}

}  // namespace lumivex
