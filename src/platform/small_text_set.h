#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace lumivex {

// A set of texts for the few distinct values of one property or one cell: a list looked through
// in order while it is small, hashed only once it grows, since hashing a text costs more than
// comparing it with a dozen short ones. Any thread; not shared.
class SmallTextSet {
public:
    bool contains(const QString& text) const {
        return hashed_.isEmpty() ? list_.contains(text) : hashed_.contains(text);
    }

    // False when the text was there already.
    bool insert(const QString& text) {
        if (contains(text)) {
            return false;
        }
        if (hashed_.isEmpty() && list_.size() < listLimit) {
            list_.append(text);
            return true;
        }
        if (hashed_.isEmpty()) {
            hashed_ = QSet<QString>(list_.begin(), list_.end());
            list_.clear();
        }
        hashed_.insert(text);
        return true;
    }

private:
    static constexpr qsizetype listLimit = 16;
    QStringList list_;
    QSet<QString> hashed_;
};

}  // namespace lumivex
