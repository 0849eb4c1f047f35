#pragma once

#include <QObject>
#include <QUuid>

#include <optional>

namespace lumivex {

// Which property's option picker is open in the inspector: one value shared by every picker, so
// opening one closes the others. The inspector owns it and forgets it when hidden. Main thread.
class ActiveProperty : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    const std::optional<QUuid>& value() const { return value_; }
    void set(const std::optional<QUuid>& value);

Q_SIGNALS:
    void changed();

private:
    std::optional<QUuid> value_;
};

}  // namespace lumivex
