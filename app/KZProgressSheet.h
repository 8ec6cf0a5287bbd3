#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

// The progress sheet of a scan, an update or a custom smartctl run: a
// window-modal dialog on the main window with a message and a bar, which
// the user cannot close (the job ends it).
class KZProgressSheet : public QDialog
{
    Q_OBJECT

public:
    KZProgressSheet(const QString &message, bool indeterminate, QWidget *parent);

    QProgressBar *progressBar() const { return m_bar; }
    void setMessage(const QString &message);
    // Shows the sheet with the bar at its start.
    void begin();
    void end();

protected:
    void reject() override {}
    void closeEvent(QCloseEvent *event) override;

private:
    QLabel *m_label = nullptr;
    QProgressBar *m_bar = nullptr;
    bool m_indeterminate = false;
};
