#include "KZEmailOptionsDialog.h"

#include "KZPreferenceKeys.h"
#include "KZPreferences.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
KZPreferences &preferences()
{
    return KZPreferences::standard();
}
} // namespace

KZEmailOptionsDialog::KZEmailOptionsDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("emailOptionSheet"));
    setWindowTitle(tr("E-mail Options"));
    setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(tr("Tarnwell sends its alerts through this mail server."), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    addTextField(KZPreferenceKeys::emailFromAddress, tr("From address:"), form);
    addTextField(KZPreferenceKeys::emailToAddress, tr("To address:"), form);
    addTextField(KZPreferenceKeys::emailSMTPAddress, tr("SMTP server:"), form);

    m_port = new QSpinBox(this);
    m_port->setRange(1, 65535);
    m_port->setObjectName(KZPreferenceKeys::emailCustomPort);
    m_port->setAccessibleName(tr("Port"));
    form->addRow(tr("Port:"), m_port);
    connect(m_port, &QSpinBox::valueChanged, this,
            [](int port) { preferences().setInteger(KZPreferenceKeys::emailCustomPort, port); });

    m_ssl = new QCheckBox(tr("Use TLS (STARTTLS)"), this);
    m_ssl->setObjectName(KZPreferenceKeys::emailSSL);
    m_ssl->setAccessibleName(m_ssl->text());
    form->addRow(QString(), m_ssl);
    connect(m_ssl, &QCheckBox::toggled, this,
            [](bool on) { preferences().setBool(KZPreferenceKeys::emailSSL, on); });

    m_authentication = new QCheckBox(tr("The server requires a user name and password"), this);
    m_authentication->setObjectName(KZPreferenceKeys::emailAuthenticationType);
    m_authentication->setAccessibleName(m_authentication->text());
    form->addRow(QString(), m_authentication);
    connect(m_authentication, &QCheckBox::toggled, this, [this](bool on) {
        preferences().setInteger(KZPreferenceKeys::emailAuthenticationType, on ? 1 : 0);
        updateAuthenticationFields();
    });

    m_username = addTextField(KZPreferenceKeys::emailUsername, tr("User name:"), form);
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("emailPasswordText"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setAccessibleName(tr("Password"));
    form->addRow(tr("Password:"), m_password);
    addTextField(KZPreferenceKeys::emailHostName, tr("Computer name in subjects:"), form);
    layout->addLayout(form);

    auto *note =
        new QLabel(tr("The password is kept in your keyring, never in the settings."), this);
    note->setEnabled(false);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(tr("Done"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    layout->addWidget(buttons);
    setMinimumWidth(460);
    reload();
}

QLineEdit *KZEmailOptionsDialog::addTextField(const QString &key, const QString &caption,
                                              QFormLayout *form)
{
    auto *field = new QLineEdit(this);
    field->setObjectName(key);
    QString name = caption;
    name.remove(QLatin1Char(':'));
    field->setAccessibleName(name);
    form->addRow(caption, field);
    m_fields.append({key, field});
    connect(field, &QLineEdit::textEdited, this,
            [key](const QString &text) { preferences().setString(key, text); });
    return field;
}

QLineEdit *KZEmailOptionsDialog::field(const QString &key) const
{
    for (const auto &[fieldKey, field] : m_fields) {
        if (fieldKey == key)
            return field;
    }
    return nullptr;
}

void KZEmailOptionsDialog::updateAuthenticationFields()
{
    const bool on = m_authentication->isChecked();
    m_username->setEnabled(on);
    m_password->setEnabled(on);
}

void KZEmailOptionsDialog::reload()
{
    for (const auto &[key, field] : m_fields)
        field->setText(preferences().stringForKey(key));
    {
        const QSignalBlocker blocker(m_port);
        const qint64 port = preferences().integerForKey(KZPreferenceKeys::emailCustomPort);
        m_port->setValue(port > 0 && port <= 65535 ? int(port) : 25);
    }
    {
        const QSignalBlocker blocker(m_ssl);
        m_ssl->setChecked(preferences().boolForKey(KZPreferenceKeys::emailSSL));
    }
    {
        const QSignalBlocker blocker(m_authentication);
        m_authentication->setChecked(
            preferences().integerForKey(KZPreferenceKeys::emailAuthenticationType) != 0);
    }
    updateAuthenticationFields();
}
