#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <optional>
#include <variant>

namespace lumivex {

// The user's preferences: typed values (yes/no, 64-bit integer, double, text, list of texts)
// under text keys, kept in one JSON file that is read once and rewritten atomically on every
// change. Types survive a reload exactly, so a getter can tell an absent key (nothing) from a key
// that holds another type (also nothing, while contains() is true).
//
// A file that cannot be read as such a store is never overwritten: it is renamed aside with a
// ".corrupt" suffix and the store starts empty. Main thread only.
class UserDefaults : public QObject {
    Q_OBJECT

public:
    using Value = std::variant<bool, std::int64_t, double, QString, QStringList>;

    // The store at the default location under the user's configuration folder.
    explicit UserDefaults(QObject* parent = nullptr);
    explicit UserDefaults(const QString& filePath, QObject* parent = nullptr);

    static QString defaultFilePath();
    const QString& filePath() const { return filePath_; }

    bool contains(const QString& key) const;
    std::optional<Value> value(const QString& key) const;
    std::optional<bool> boolValue(const QString& key) const;
    std::optional<std::int64_t> integerValue(const QString& key) const;
    std::optional<double> doubleValue(const QString& key) const;
    std::optional<QString> text(const QString& key) const;
    std::optional<QStringList> textList(const QString& key) const;

    // Setting a key to the value it already holds changes nothing and signals nothing.
    void setBool(const QString& key, bool value);
    void setInteger(const QString& key, std::int64_t value);
    void setDouble(const QString& key, double value);
    void setText(const QString& key, const QString& value);
    void setTextList(const QString& key, const QStringList& value);
    void remove(const QString& key);

Q_SIGNALS:
    void changed(const QString& key);

private:
    void load();
    void keepAside(const QString& reason);
    void set(const QString& key, Value value);
    void save() const;
    template <typename T>
    std::optional<T> typed(const QString& key) const;

    QString filePath_;
    std::map<QString, Value> values_;
    // False once a file could be neither read nor moved aside: it must not be overwritten.
    bool persistent_ = true;
};

}  // namespace lumivex
