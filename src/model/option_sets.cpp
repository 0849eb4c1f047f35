#include "model/option_sets.h"

#include <QMutex>

#include <deque>
#include <utility>

namespace lumivex::OptionSets {

namespace {

constexpr qsizetype worthRemembering = 64;
// Room for a few dozen folders' copies of a property of thousands of options when their lists
// differ, and for the last few versions of a list that grows.
constexpr qsizetype rememberedOptions = 100'000;

struct Remembered {
    QStringList options;
    std::shared_ptr<const QSet<QString>> set;
};

struct Memory {
    QMutex mutex;
    std::deque<Remembered> entries;
    qsizetype optionCount = 0;
};

Memory& memory() {
    static Memory shared;
    return shared;
}

}  // namespace

std::shared_ptr<const QSet<QString>> of(const QStringList& options) {
    if (options.size() < worthRemembering) {
        return std::make_shared<const QSet<QString>>(options.begin(), options.end());
    }
    Memory& known = memory();
    {
        const QMutexLocker locker(&known.mutex);
        for (const Remembered& entry : known.entries) {
            if (entry.options == options) {
                return entry.set;
            }
        }
    }
    auto set = std::make_shared<const QSet<QString>>(options.begin(), options.end());
    const QMutexLocker locker(&known.mutex);
    known.entries.push_back({options, set});
    known.optionCount += options.size();
    while (known.optionCount > rememberedOptions && known.entries.size() > 1) {
        known.optionCount -= known.entries.front().options.size();
        known.entries.pop_front();
    }
    return set;
}

}  // namespace lumivex::OptionSets
