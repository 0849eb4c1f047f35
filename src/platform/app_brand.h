#pragma once

#include <QString>

namespace lumivex {

// The application's display name and version, fixed when it is built.
struct AppBrand {
    static const QString& name();
    static const QString& version();
};

}  // namespace lumivex
