#pragma once

#include <QString>

#include <exception>

namespace lumivex {

// The one error type of model and catalog code: a domain, a code and the Korean text a user sees.
// Thrown on any thread; caught by the store, which turns it into its published error text.
class Error : public std::exception {
public:
    Error(QString domain, int code, QString description);

    // A failed system call on `path`, with its reason (SystemReason) appended.
    static Error fromErrno(int errorNumber, const QString& path);

    const QString& domain() const { return domain_; }
    int code() const { return code_; }
    const QString& description() const { return description_; }
    // The errno of an error made by fromErrno, else 0.
    int systemErrorNumber() const;

    const char* what() const noexcept override { return utf8_.constData(); }

    static inline const QString posixDomain = QStringLiteral("POSIX");

private:
    QString domain_;
    int code_;
    QString description_;
    QByteArray utf8_;
};

}  // namespace lumivex
