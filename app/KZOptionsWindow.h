#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;

// The window for running smartctl with options the user types on one of the
// drives; the output lands in the log.
class KZOptionsWindow : public QWidget
{
    Q_OBJECT

public:
    explicit KZOptionsWindow(QWidget *parent);

    QLineEdit *optionsText() const { return m_options; }
    QComboBox *drivesPopup() const { return m_drives; }
    QPushButton *runButton() const { return m_run; }
    QPushButton *cancelButton() const { return m_cancel; }

Q_SIGNALS:
    void runClicked();
    void cancelClicked();

private:
    QLineEdit *m_options = nullptr;
    QComboBox *m_drives = nullptr;
    QPushButton *m_run = nullptr;
    QPushButton *m_cancel = nullptr;
};
