#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// The test e-mail's sheet on the preferences window: a running bar and
// Cancel while the mail goes out, then the result text and OK. Cancel
// closes the sheet without stopping the send.
class KZTestEmailSheet : public QDialog
{
    Q_OBJECT

public:
    explicit KZTestEmailSheet(QWidget *parent);

    // Sending: bar running, Cancel enabled, no result.
    void begin();
    // Finished: the result text and OK shown, the bar stopped and hidden,
    // Cancel disabled. Also right when the sheet is closed.
    void showResult(const QString &text);

    QLabel *emailTestSendErrorMessage() const { return m_result; }
    QPushButton *emailTestSendOK() const { return m_ok; }
    QPushButton *emailTestSendCancel() const { return m_cancel; }
    QProgressBar *emailTestSendProgressBar() const { return m_bar; }

Q_SIGNALS:
    void cancelClicked();
    void okClicked();

private:
    QLabel *m_message = nullptr;
    QLabel *m_result = nullptr;
    QProgressBar *m_bar = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_ok = nullptr;
};
