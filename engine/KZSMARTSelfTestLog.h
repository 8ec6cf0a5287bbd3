#pragma once

#include <QCoreApplication>
#include <QJsonObject>
#include <QString>
#include <QtGlobal>
#include <optional>

// One "#" row of the self-test log: the test, how it ended, how much of it was
// left, the drive's power-on hours when it ran and the first failing LBA.
class KZSMARTSelfTestLog
{
    // Texts of the windows and the plain-text report (tr()).
    Q_DECLARE_TR_FUNCTIONS(KZSMARTSelfTestLog)

public:
    // Entry number; 1 is the first row printed (the most recent test).
    qint32 getNumber() const { return m_number; }
    void setNumber(qint32 value) { m_number = value; }
    // Test description, such as Short offline.
    std::optional<QString> getType() const { return m_type; }
    void setType(const QString &value) { m_type = value; }
    // Status without trailing blanks, such as Completed without error.
    std::optional<QString> getStatus() const { return m_status; }
    void setStatus(const QString &value) { m_status = value; }
    // Percent of the test remaining.
    qint32 getRemaining() const { return m_remaining; }
    void setRemaining(qint32 value) { m_remaining = value; }
    // Power-on hours when the test ran.
    qint32 getLifetime() const { return m_lifetime; }
    void setLifetime(qint32 value) { m_lifetime = value; }
    // First failing LBA, or -1 when the column holds no number. Self-test LBAs
    // use all 32 bits (and 48 in the extended log), so the value is 64-bit.
    qint64 getLBA() const { return m_lba; }
    void setLBA(qint64 value) { m_lba = value; }

    // Every field under its own name; absent texts are null.
    // The entry's line of the plain-text report, without a line feed; an
    // absent type or status reads "Unknown type". The heading goes above
    // the lines.
    QString description() const;
    static QString heading();
    QJsonObject toJSON() const;

private:
    qint32 m_number = 0;
    std::optional<QString> m_type;
    std::optional<QString> m_status;
    qint32 m_remaining = 0;
    qint32 m_lifetime = 0;
    qint64 m_lba = 0;
};
