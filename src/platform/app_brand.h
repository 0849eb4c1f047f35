#pragma once

#include "platform/korean_particle.h"

#include <QString>

namespace lumivex {

// The application's display name and version, fixed when it is built.
struct AppBrand {
    static const QString& name();
    static const QString& version();
    // The name joined to the form of `particle` its ending takes ("Dovrin이", "Dovrin으로"): every
    // interface text that puts a particle after the name takes it from here.
    static QString nameWith(KoreanParticle::Particle particle);
};

}  // namespace lumivex
