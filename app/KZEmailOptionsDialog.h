#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;

// The e-mail options, a dialog on the preferences window: sender, recipient,
// server, port, TLS, authentication, user name and password. Every field but
// the password writes its preference key as it changes; the password goes to
// the Secret Service when the dialog closes (the controller stores it).
class KZEmailOptionsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit KZEmailOptionsDialog(QWidget *parent);

    // Shows the stored values again.
    void reload();

    QLineEdit *emailPasswordText() const { return m_password; }
    QLineEdit *field(const QString &key) const;
    QSpinBox *portField() const { return m_port; }
    QCheckBox *sslCheckBox() const { return m_ssl; }
    QCheckBox *authenticationCheckBox() const { return m_authentication; }

private:
    QLineEdit *addTextField(const QString &key, const QString &caption, class QFormLayout *form);
    void updateAuthenticationFields();

    QList<QPair<QString, QLineEdit *>> m_fields;
    QSpinBox *m_port = nullptr;
    QCheckBox *m_ssl = nullptr;
    QCheckBox *m_authentication = nullptr;
    QLineEdit *m_username = nullptr;
    QLineEdit *m_password = nullptr;
};
