#pragma once

#include <QString>
#include <exception>
#include <string>

// The one exception type the engine raises: a name (the kind of failure) and a
// reason (what went wrong). Callers log both and carry on with the next step.
class KZException : public std::exception
{
public:
    // The kinds of failure, as the name of an exception.
    static inline const QString unreadableText = QStringLiteral("UnreadableText");
    static inline const QString cannotOpenFile = QStringLiteral("CannotOpenFile");
    static inline const QString systemFailure = QStringLiteral("SystemFailure");
    static inline const QString cannotRun = QStringLiteral("CannotRun");
    static inline const QString missingPreference = QStringLiteral("MissingPreference");
    static inline const QString badMessage = QStringLiteral("BadMessage");
    static inline const QString noKeychainItem = QStringLiteral("NoKeychainItem");

    KZException(QString name, QString reason)
        : m_name(std::move(name)), m_reason(std::move(reason)), m_what(m_reason.toStdString())
    {
    }

    const QString &name() const { return m_name; }
    const QString &reason() const { return m_reason; }
    const char *what() const noexcept override { return m_what.c_str(); }

    // Name and reason of any exception, for the "Exception occured in" log lines.
    static QString nameOf(const std::exception &error)
    {
        if (const auto *known = dynamic_cast<const KZException *>(&error))
            return known->name();
        return QStringLiteral("std::exception");
    }
    static QString reasonOf(const std::exception &error)
    {
        if (const auto *known = dynamic_cast<const KZException *>(&error))
            return known->reason();
        return QString::fromLocal8Bit(error.what());
    }

private:
    QString m_name;
    QString m_reason;
    std::string m_what;
};
