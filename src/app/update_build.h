#pragma once

#include <QString>

#include <optional>

namespace lumivex {

// What the build says about updating. A release package (LUMIVEX_PACKAGED) checks the release
// feed by itself; a build tree never does. The two distribution keys stand for a build that
// carries the other updater framework: no Linux build sets them.
struct UpdateBuild {
    bool packaged = false;
    std::optional<bool> distributionBuild;
    std::optional<QString> publicKey;

    // This build's values.
    static UpdateBuild current();
};

}  // namespace lumivex
