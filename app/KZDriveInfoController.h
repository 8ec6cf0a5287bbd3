#pragma once

#include "KZDetailWindowController.h"
#include "KZValueFields.h"

#include <QMap>

class QCheckBox;
class QLabel;
class QLineEdit;

// The drive information window: a drive's identity and general S.M.A.R.T.
// capabilities, with display-only check boxes. It only reads the drive.
class KZDriveInfoController : public KZDetailWindowController
{
    Q_OBJECT

public:
    explicit KZDriveInfoController(QWidget *parent = nullptr);

    void updateWindow() override;

    // The parts by their names: value fields ("modelFamily", ...), labels
    // (captions such as "ataVersionText", and the "selfTestExecution" text)
    // and check boxes ("selfTest", ...).
    QLineEdit *field(const QString &name) const { return m_values.field(name); }
    QLabel *label(const QString &name) const { return m_values.caption(name); }
    QCheckBox *checkBox(const QString &name) const { return m_checkBoxes.value(name); }

private:
    KZValueFields m_values;
    QMap<QString, QCheckBox *> m_checkBoxes;
    QString m_versionCaption;
};
