#include "platform/user_defaults.h"

#include "platform/atomic_file.h"
#include "platform/decimal_text.h"
#include "platform/error.h"
#include "platform/sorted_json.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <sys/stat.h>
#include <cstdio>

namespace lumivex {

namespace {

// Each value is an object with one member named after its type, so a double that happens to be
// whole never reads back as an integer and a one-element list never reads back as text. Numbers
// are stored as decimal text: JSON numbers cannot carry 64-bit integers or non-finite doubles.
const QString boolKind = QStringLiteral("bool");
const QString integerKind = QStringLiteral("integer");
const QString doubleKind = QStringLiteral("double");
const QString textKind = QStringLiteral("text");
const QString textListKind = QStringLiteral("textList");

QJsonObject encode(const UserDefaults::Value& value) {
    struct Encoder {
        QJsonObject operator()(bool flag) const { return {{boolKind, flag}}; }
        QJsonObject operator()(std::int64_t number) const {
            return {{integerKind, DecimalText::integer(number)}};
        }
        QJsonObject operator()(double number) const {
            return {{doubleKind, DecimalText::shortest(number)}};
        }
        QJsonObject operator()(const QString& text) const { return {{textKind, text}}; }
        QJsonObject operator()(const QStringList& texts) const {
            return {{textListKind, QJsonArray::fromStringList(texts)}};
        }
    };
    return std::visit(Encoder{}, value);
}

std::optional<QStringList> decodeTextList(const QJsonValue& json) {
    if (!json.isArray()) {
        return std::nullopt;
    }
    QStringList texts;
    for (const QJsonValue element : json.toArray()) {
        if (!element.isString()) {
            return std::nullopt;
        }
        texts.append(element.toString());
    }
    return texts;
}

std::optional<UserDefaults::Value> decode(const QJsonValue& json) {
    const QJsonObject object = json.toObject();
    if (!json.isObject() || object.size() != 1) {
        return std::nullopt;
    }
    const QString kind = object.begin().key();
    const QJsonValue member = object.begin().value();
    if (kind == boolKind && member.isBool()) {
        return member.toBool();
    }
    if (kind == textKind && member.isString()) {
        return member.toString();
    }
    if (kind == integerKind && member.isString()) {
        if (const auto number = DecimalText::parseInteger(member.toString())) {
            return *number;
        }
    }
    if (kind == doubleKind && member.isString()) {
        if (const auto number = DecimalText::parseDouble(member.toString())) {
            return *number;
        }
    }
    if (kind == textListKind) {
        if (auto texts = decodeTextList(member)) {
            return *std::move(texts);
        }
    }
    return std::nullopt;
}

// The whole file's values, or nothing when any part of it is not what this store writes.
std::optional<std::map<QString, UserDefaults::Value>> parse(const QByteArray& bytes) {
    const std::optional<QJsonDocument> document = SortedJson::decode(bytes);
    if (!document || !document->isObject()) {
        return std::nullopt;
    }
    std::map<QString, UserDefaults::Value> values;
    const QJsonObject object = document->object();
    for (auto entry = object.begin(); entry != object.end(); ++entry) {
        auto value = decode(entry.value());
        if (!value) {
            return std::nullopt;
        }
        values.emplace(entry.key(), *std::move(value));
    }
    return values;
}

bool pathExists(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

}  // namespace

UserDefaults::UserDefaults(QObject* parent) : UserDefaults(defaultFilePath(), parent) {}

UserDefaults::UserDefaults(const QString& filePath, QObject* parent)
    : QObject(parent), filePath_(filePath) {
    load();
}

QString UserDefaults::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Lumivex/defaults.json");
}

void UserDefaults::load() {
    if (!pathExists(filePath_)) {
        return;
    }
    QFile file(filePath_);
    if (!file.open(QIODevice::ReadOnly)) {
        keepAside(file.errorString());
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        keepAside(file.errorString());
        return;
    }
    auto values = parse(bytes);
    if (!values) {
        keepAside(QStringLiteral("not a defaults file"));
        return;
    }
    values_ = *std::move(values);
}

void UserDefaults::keepAside(const QString& reason) {
    QString aside = filePath_ + QStringLiteral(".corrupt");
    for (int number = 1; pathExists(aside); ++number) {
        aside = filePath_ + QStringLiteral(".corrupt-") + QString::number(number);
    }
    if (std::rename(QFile::encodeName(filePath_).constData(),
                    QFile::encodeName(aside).constData()) != 0) {
        persistent_ = false;
        qWarning("User defaults %s cannot be read (%s) nor moved aside; changes stay in memory",
                 qUtf8Printable(filePath_), qUtf8Printable(reason));
        return;
    }
    qWarning("User defaults %s cannot be read (%s); kept as %s, starting empty",
             qUtf8Printable(filePath_), qUtf8Printable(reason), qUtf8Printable(aside));
}

bool UserDefaults::contains(const QString& key) const {
    return values_.count(key) != 0;
}

std::optional<UserDefaults::Value> UserDefaults::value(const QString& key) const {
    const auto found = values_.find(key);
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second;
}

template <typename T>
std::optional<T> UserDefaults::typed(const QString& key) const {
    const auto found = values_.find(key);
    if (found == values_.end() || !std::holds_alternative<T>(found->second)) {
        return std::nullopt;
    }
    return std::get<T>(found->second);
}

std::optional<bool> UserDefaults::boolValue(const QString& key) const {
    return typed<bool>(key);
}

std::optional<std::int64_t> UserDefaults::integerValue(const QString& key) const {
    return typed<std::int64_t>(key);
}

std::optional<double> UserDefaults::doubleValue(const QString& key) const {
    return typed<double>(key);
}

std::optional<QString> UserDefaults::text(const QString& key) const {
    return typed<QString>(key);
}

std::optional<QStringList> UserDefaults::textList(const QString& key) const {
    return typed<QStringList>(key);
}

void UserDefaults::setBool(const QString& key, bool value) {
    set(key, value);
}
void UserDefaults::setInteger(const QString& key, std::int64_t value) {
    set(key, value);
}
void UserDefaults::setDouble(const QString& key, double value) {
    set(key, value);
}
void UserDefaults::setText(const QString& key, const QString& value) {
    set(key, value);
}

void UserDefaults::setTextList(const QString& key, const QStringList& value) {
    set(key, value);
}

void UserDefaults::set(const QString& key, Value value) {
    const auto found = values_.find(key);
    if (found != values_.end() && found->second == value) {
        return;
    }
    values_.insert_or_assign(key, std::move(value));
    save();
    Q_EMIT changed(key);
}

void UserDefaults::remove(const QString& key) {
    if (values_.erase(key) == 0) {
        return;
    }
    save();
    Q_EMIT changed(key);
}

// A failed write is logged, not thrown: a preference that cannot be kept must not stop the
// action that set it, and the value still holds for this session.
void UserDefaults::save() const {
    if (!persistent_) {
        return;
    }
    QJsonObject object;
    for (const auto& [key, value] : values_) {
        object.insert(key, encode(value));
    }
    try {
        AtomicFile::write(filePath_, QJsonDocument(object).toJson(QJsonDocument::Indented));
    } catch (const Error& error) {
        qWarning("User defaults %s not saved: %s", qUtf8Printable(filePath_), error.what());
    }
}

}  // namespace lumivex
