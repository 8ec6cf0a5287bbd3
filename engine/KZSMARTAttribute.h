#pragma once

#include <QCoreApplication>
#include <QJsonObject>
#include <QString>
#include <optional>

// One row of a drive's S.M.A.R.T. attribute table: an ATA row with its
// columns, or an NVMe health-log line (name and value text).
class KZSMARTAttribute
{
    // Texts of the windows and the plain-text report (tr()).
    Q_DECLARE_TR_FUNCTIONS(KZSMARTAttribute)

public:
    // WHEN_FAILED states of `failed`.
    enum FailedState : qint32
    {
        FailedNotRead = 0,
        NeverFailed = 1,
        FailingNow = 2,
        FailedInThePast = 3,
    };

    KZSMARTAttribute() = default;

    qint32 getIDNumber() const { return m_idNumber; }
    void setIDNumber(qint32 idNumber) { m_idNumber = idNumber; }
    quint32 getFlag() const { return m_flag; }
    void setFlag(quint32 flag) { m_flag = flag; }
    qint64 getValue() const { return m_value; }
    void setValue(qint64 value) { m_value = value; }
    qint64 getWorst() const { return m_worst; }
    void setWorst(qint64 worst) { m_worst = worst; }
    qint64 getThresh() const { return m_thresh; }
    void setThresh(qint64 thresh) { m_thresh = thresh; }
    std::optional<QString> getType() const { return m_type; }
    void setType(const std::optional<QString> &type) { m_type = type; }
    std::optional<QString> getUpdated() const { return m_updated; }
    void setUpdated(const std::optional<QString> &updated) { m_updated = updated; }
    qint32 getFailed() const { return m_failed; }
    void setFailed(qint32 failed) { m_failed = failed; }
    qint64 getRaw() const { return m_raw; }
    void setRaw(qint64 raw) { m_raw = raw; }
    std::optional<QString> getName() const { return m_name; }
    void setName(const std::optional<QString> &name) { m_name = name; }
    qint64 getMin() const { return m_min; }
    void setMin(qint64 min) { m_min = min; }
    qint64 getMax() const { return m_max; }
    void setMax(qint64 max) { m_max = max; }
    bool getTemperatureAvailable() const { return m_temperatureAvailable; }
    void setTemperatureAvailable(bool available) { m_temperatureAvailable = available; }
    std::optional<QString> nvmeValue() const { return m_nvmeValue; }
    void setNvmeValue(const std::optional<QString> &value) { m_nvmeValue = value; }

    // The attribute's line of the plain-text report, without a line feed,
    // and the heading above the lines of an ATA drive.
    QString description() const;
    static QString heading();

    // Every field under its own name; absent texts are null.
    QJsonObject toJSON() const;

private:
    qint32 m_idNumber = 0;
    quint32 m_flag = 0;
    qint64 m_value = 0;
    qint64 m_worst = 0;
    qint64 m_thresh = 0;
    std::optional<QString> m_type;
    std::optional<QString> m_updated;
    qint32 m_failed = FailedNotRead;
    qint64 m_raw = 0;
    std::optional<QString> m_name;
    qint64 m_min = 0;
    qint64 m_max = 0;
    bool m_temperatureAvailable = false;
    std::optional<QString> m_nvmeValue;
};
