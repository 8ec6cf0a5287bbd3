#pragma once

// What the attribute tests share: a fixture that starts from the registered
// defaults and puts back what a test changed, and a drive's reasons.
#include "KZPreferences.h"
#include "KZSMARTDrive.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace AttributesFixture {

inline QStringList reasons(const KZSMARTDrive &drive)
{
    return drive.getFailureReasonsText().value_or(QStringList());
}

// Every test starts from the application's registered defaults and puts back
// whatever it changed.
class Attributes : public ::testing::Test
{
protected:
    void SetUp() override { KZPreferences::standard().registerApplicationDefaults(); }
    void TearDown() override
    {
        for (const QString &key : m_changed)
            KZPreferences::standard().removeObjectForKey(key);
    }
    void setBool(const QString &key, bool value)
    {
        KZPreferences::standard().setBool(key, value);
        m_changed.append(key);
    }
    void setInteger(const QString &key, qint64 value)
    {
        KZPreferences::standard().setInteger(key, value);
        m_changed.append(key);
    }
    // A key the test lets the code under test write.
    void forgetAfterwards(const QString &key) { m_changed.append(key); }

private:
    QStringList m_changed;
};

} // namespace AttributesFixture
