#pragma once

#include "KZPreferenceKeys.h"

#include <QMap>
#include <QWidget>

class KZAppController;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QVBoxLayout;

// The preferences window: one control per preference a user sets, each
// writing its key as soon as it changes (there is no OK button), the Reset
// button, and the e-mail and blink(1) alert settings.
class KZPreferencesWindow : public QWidget
{
    Q_OBJECT

public:
    KZPreferencesWindow(KZAppController *controller, QWidget *parent);

    // Shows every control's stored (or default) value again.
    void reload();

    // The checkbox bound to a boolean key, or null.
    QCheckBox *checkBox(const QString &key) const { return m_checkBoxes.value(key); }
    QCheckBox *prefOutputDebugMessages() const
    {
        return checkBox(KZPreferenceKeys::outputDebugMessages);
    }
    QLineEdit *prefCustomBadSectorCountValue() const { return m_badSectorValue; }
    QLineEdit *prefCustomErrorCountValue() const { return m_errorCountValue; }
    QSpinBox *pollingHours() const { return m_pollingHours; }
    QSpinBox *historyDays() const { return m_historyDays; }
    QLineEdit *prometheusPath() const { return m_prometheusPath; }
    QPushButton *emailOptionsButton() const { return m_emailOptionsButton; }
    QPushButton *emailTestButton() const { return m_emailTestButton; }
    QLabel *emailErrorMessage() const { return m_emailErrorMessage; }
    QPushButton *resetButton() const { return m_resetButton; }
    QTabWidget *tabs() const { return m_tabs; }
    // Room in the "General" page for rows other parts add (the menu-bar monitor).
    QVBoxLayout *extraRows() const { return m_extraRows; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    // " hours" or " hour" after the spin box's number.
    static QString hoursSuffix(int hours);
    // " days" or " day" after the history's spin box.
    static QString daysSuffix(int days);
    QWidget *makeGeneralPage();
    QWidget *makeChecksPage();
    QWidget *makeAlertsPage();
    QCheckBox *addCheckBox(const QString &key, const QString &caption, QWidget *parent);
    QLineEdit *addLimitField(const QString &key, const QString &caption, QWidget *parent);
    void limitEdited(QLineEdit *field, const QString &key);
    void historyDaysChanged(int days);

    KZAppController *m_controller;
    QMap<QString, QCheckBox *> m_checkBoxes;
    QMap<QString, QLineEdit *> m_limitFields;
    QList<QLabel *> m_limitLabels;
    QLineEdit *m_badSectorValue = nullptr;
    QLineEdit *m_errorCountValue = nullptr;
    QSpinBox *m_pollingHours = nullptr;
    QSpinBox *m_historyDays = nullptr;
    QLineEdit *m_prometheusPath = nullptr;
    QPushButton *m_emailOptionsButton = nullptr;
    QPushButton *m_emailTestButton = nullptr;
    QLabel *m_emailErrorMessage = nullptr;
    QPushButton *m_resetButton = nullptr;
    QTabWidget *m_tabs = nullptr;
    QVBoxLayout *m_extraRows = nullptr;
};
