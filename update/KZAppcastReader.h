#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <optional>

class KZPreferences;
class QNetworkAccessManager;
class QNetworkReply;

// One release offered by an update feed.
struct KZAppcastItem
{
    QString title;
    QString version;        // compared ("sparkle:version")
    QString displayVersion; // shown ("sparkle:shortVersionString", else the version)
    QUrl downloadURL;       // the enclosure
    QUrl infoURL;           // the item's link or release notes, else the download
};

// What one check of the feed came to.
struct KZUpdateCheckResult
{
    enum class Outcome
    {
        UpdateFound,
        NoUpdate,
        Failed
    };
    Outcome outcome = Outcome::Failed;
    KZAppcastItem item; // the newest release, when one was found
    QString error;      // why the check failed
};
Q_DECLARE_METATYPE(KZUpdateCheckResult)

// Reads an appcast (the RSS feed update frameworks publish releases in) and
// tells whether it offers a release newer than this one, by the version
// comparator. Linux packages update through the package manager, so the
// check runs only when "CheckForUpdates" is on; nothing is downloaded.
class KZAppcastReader : public QObject
{
    Q_OBJECT

public:
    static inline const QString defaultFeed = QStringLiteral("https://tarnwell.org/appcast.xml");
    static inline const QString testFeed = QStringLiteral("https://tarnwell.org/appcast-test.xml");
    // A feed larger than this is not a feed.
    static constexpr qint64 maximumFeedSize = 1024 * 1024;

    explicit KZAppcastReader(QObject *parent = nullptr);
    ~KZAppcastReader() override;

    // "CheckForUpdates" (off unless the user switched it on).
    static bool checksEnabled(const KZPreferences &preferences);
    // "UpdateFeedURL" when set, else the test feed when "TestAppcast" is on,
    // else the normal one.
    static QUrl feedURL(const KZPreferences &preferences);
    // The version of this build.
    static QString currentVersion();

    // The releases of a feed, in feed order; nothing (with the reason) when
    // the text is not an RSS feed.
    static std::optional<QList<KZAppcastItem>> parseAppcast(const QByteArray &feed,
                                                            QString *error = nullptr);
    // The newest release that is newer than currentVersion, if any.
    static std::optional<KZAppcastItem> bestValidUpdate(const QList<KZAppcastItem> &items,
                                                        const QString &currentVersion);

    // Fetches the feed without blocking and emits finished() once. A check
    // asked for while one runs is ignored.
    void checkForUpdateInformation(const QUrl &feed, const QString &currentVersion);
    bool isChecking() const { return m_reply != nullptr; }
    // Seconds a fetch may take.
    void setTimeout(int seconds) { m_timeoutSeconds = seconds; }

Q_SIGNALS:
    void finished(const KZUpdateCheckResult &result);

private:
    void replyFinished();

    QNetworkAccessManager *m_network = nullptr;
    QNetworkReply *m_reply = nullptr;
    QString m_currentVersion;
    int m_timeoutSeconds = 30;
};
