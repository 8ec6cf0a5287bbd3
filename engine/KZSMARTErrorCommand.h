#pragma once

#include <QJsonObject>
#include <QString>
#include <QtGlobal>
#include <optional>

// One row of "Commands leading to the command that caused the error" of the
// ATA error log: the eight register columns, the power-up time and the name of
// the command or feature, all as smartctl printed them.
class KZSMARTErrorCommand
{
public:
    quint32 getRegisterCR() const { return m_registerCR; }
    void setRegisterCR(quint32 value) { m_registerCR = value; }
    quint32 getRegisterFR() const { return m_registerFR; }
    void setRegisterFR(quint32 value) { m_registerFR = value; }
    quint32 getRegisterSC() const { return m_registerSC; }
    void setRegisterSC(quint32 value) { m_registerSC = value; }
    quint32 getRegisterSN() const { return m_registerSN; }
    void setRegisterSN(quint32 value) { m_registerSN = value; }
    quint32 getRegisterCL() const { return m_registerCL; }
    void setRegisterCL(quint32 value) { m_registerCL = value; }
    quint32 getRegisterCH() const { return m_registerCH; }
    void setRegisterCH(quint32 value) { m_registerCH = value; }
    quint32 getRegisterDH() const { return m_registerDH; }
    void setRegisterDH(quint32 value) { m_registerDH = value; }
    quint32 getRegisterDC() const { return m_registerDC; }
    void setRegisterDC(quint32 value) { m_registerDC = value; }
    // Time since power-up as printed, such as 00:31:21.345.
    const std::optional<QString> &getPowerUpTime() const { return m_powerUpTime; }
    void setPowerUpTime(const QString &value) { m_powerUpTime = value; }
    // The command or feature name, such as READ DMA.
    const std::optional<QString> &getCommand() const { return m_command; }
    void setCommand(const QString &value) { m_command = value; }

    // Every field under its own name; absent texts are null.
    // The command's line of the plain-text report, ending with a line feed.
    QString description() const;
    QJsonObject toJSON() const;

private:
    quint32 m_registerCR = 0;
    quint32 m_registerFR = 0;
    quint32 m_registerSC = 0;
    quint32 m_registerSN = 0;
    quint32 m_registerCL = 0;
    quint32 m_registerCH = 0;
    quint32 m_registerDH = 0;
    quint32 m_registerDC = 0;
    std::optional<QString> m_powerUpTime;
    std::optional<QString> m_command;
};
