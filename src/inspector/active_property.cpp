#include "inspector/active_property.h"

namespace lumivex {

void ActiveProperty::set(const std::optional<QUuid>& value) {
    if (value != value_) {
        value_ = value;
        Q_EMIT changed();
    }
}

}  // namespace lumivex
