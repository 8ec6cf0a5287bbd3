#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class KZPreferences;

// What one attempt to send a mail came to.
struct KZMailResult
{
    bool failed = false;
    // "None" before anything went wrong (the application's copies), else the
    // reason of the failure; never set in the tray program's copy unless the
    // attempt failed.
    std::optional<QString> errorText;
    // Whether the mail sender program was started.
    bool senderRun = false;
    // The sender's output lines (standard output and standard error merged).
    QStringList output;
};

// Sends every mail of the system through the external mail sender
// (sendemail), built from the e-mail preferences, with the SMTP password
// taken from the secret store (in a system service, from its systemd
// credential). The three callers (the application, its self-test window and
// the tray program) differ only in a few details, chosen by the Copy given at
// construction.
//
// The password never appears on a command line: sendemail gets "-xu USER"
// without "-xp" and reads the password from its standard input. Mail text is
// sent as UTF-8.
class KZMailSender
{
public:
    enum class Copy
    {
        Application, // error text starts as "None"; logs "Arguments" and "Output"
        SelfTest,    // as the application
        MenuItem     // no initial error text; no "Arguments" line without
                     // authentication; logs "SendEmail Output"
    };

    using PasswordLookup = std::function<std::optional<QString>(
        const std::optional<QString> &serviceName, const std::optional<QString> &username)>;

    explicit KZMailSender(Copy copy = Copy::Application);

    // The sender program: "sendEmail" beside the program's resources when
    // present, else Debian's /usr/bin/sendemail.
    static QString defaultSenderProgram();
    QString senderProgram() const { return m_senderProgram; }
    void setSenderProgram(const QString &program) { m_senderProgram = program; }

    // The preferences read (the standard store unless set).
    void setPreferences(KZPreferences *preferences) { m_preferences = preferences; }
    // How the password is found (the secret store unless set).
    void setPasswordLookup(PasswordLookup lookup) { m_passwordLookup = std::move(lookup); }
    // Seconds the sender may run before it is stopped (a failure).
    void setTimeout(int seconds) { m_timeoutSeconds = seconds; }

    // Sends the message (subject, then body) and blocks until the sender has
    // finished. Never throws.
    KZMailResult sendEmailWithSubjectAndMessage(const QStringList &message) const;

    // Sends on a thread of the background pool (KZBackground); `finished`
    // (optional) runs on that thread.
    void sendInBackground(const QStringList &message,
                          std::function<void(const KZMailResult &)> finished = {}) const;

    // The result text shown after an attempt: the success text, or
    // "Send failed: %@" with the error text.
    static QString resultText(const KZMailResult &result);

    // The SMTP password of a system service, which reaches no Secret Service:
    // the first line of the credential "smtp-password" that systemd hands it
    // ($CREDENTIALS_DIRECTORY/smtp-password, from "LoadCredential="). Nothing
    // when there is no such credential or it is empty. The default lookup
    // asks the secret store first and takes this when the store gives nothing.
    static std::optional<QString> credentialPassword();

    // "Tarnwell (SMTP): %@" with the SMTP user name: the secret's service.
    static QString keychainServiceName(const QString &username);

    // The error text of the sender's output: for every line holding "ERROR",
    // what follows "ERROR" and its four-character separator; the last such
    // line wins. Nothing when no line holds "ERROR".
    static std::optional<QString> errorTextFromOutput(const QStringList &output);

    // A subject as a header value: unchanged when it is plain ASCII, else as
    // RFC 2047 encoded words (UTF-8, base64), so non-ASCII text stays intact.
    static QString encodeSubject(const QString &subject);

private:
    void run(const QStringList &message, KZMailResult &result) const;

    Copy m_copy;
    QString m_senderProgram;
    KZPreferences *m_preferences = nullptr;
    PasswordLookup m_passwordLookup;
    int m_timeoutSeconds = 300;
};
