#pragma once

#include "KZDriveSummary.h"
#include "KZValueFields.h"

#include <QMap>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// The summary of the selected drive beside the drive outline: its most
// telling values under their captions, the overall status in a coloured
// field, and the four buttons that open the drive's detail windows. Every
// value is a read-only field labelled by its caption, so a screen reader
// reads "Temperature (Celsius): 35". The panel shows what it is given; the
// rules live in KZDriveSummary.
class KZSummaryPanel : public QWidget
{
    Q_OBJECT

public:
    explicit KZSummaryPanel(QWidget *parent = nullptr);

    void showSummary(const KZDriveSummaryContent &content);

    // The parts by their names: value fields ("driveModel", ...,
    // "overallSMARTStatus", the trends "pendingBadSectorsTrend", ...),
    // captions ("temperatureText", ...) and buttons ("driveInformationShowAll",
    // ..., "historyShowAll").
    QLineEdit *field(const QString &name) const;
    QLabel *caption(const QString &name) const;
    QPushButton *button(const QString &name) const;

Q_SIGNALS:
    // showSummary() has set every field and button.
    void summaryShown();
    void showAllDriveInformation();
    void showAllAttributes();
    void showAllErrors();
    void moreInfoTests();
    void showHistory();

private:
    QPushButton *addButton(class QVBoxLayout *box, const QString &name, const QString &group,
                           const QString &title);
    void setJudgedValue(const QString &name, const QString &captionName,
                        const KZSummaryValue &value);
    // A row under a count for its change over 30 days, shown while there is one.
    void addTrendRow(class QFormLayout *form, const QString &name, const QString &countCaption);
    void setTrend(const QString &name, const KZSummaryValue &value);
    void setButton(const QString &name, const QString &group, const KZSummaryButton &state);

    KZValueFields m_values;
    QMap<QString, QPushButton *> m_buttons;
    QMap<QString, class QHBoxLayout *> m_buttonRows;
    QMap<QString, class QFormLayout *> m_trendForms;
    QLineEdit *m_status = nullptr;
    QLabel *m_reason = nullptr;
};
