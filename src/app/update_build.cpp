#include "app/update_build.h"

namespace lumivex {

UpdateBuild UpdateBuild::current() {
    return {LUMIVEX_PACKAGED != 0, std::nullopt, std::nullopt};
}

}  // namespace lumivex
