#include "KZAppcastReader.h"

#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZSparkleVersionComparator.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QXmlStreamReader>

namespace {

const QString sparkleNamespace =
    QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

bool isSparkle(const QXmlStreamReader &xml, const char *name)
{
    return xml.namespaceUri() == sparkleNamespace && xml.name() == QLatin1String(name);
}

bool isPlain(const QXmlStreamReader &xml, const char *name)
{
    return xml.namespaceUri().isEmpty() && xml.name() == QLatin1String(name);
}

QString sparkleAttribute(const QXmlStreamAttributes &attributes, const char *name)
{
    return attributes.value(sparkleNamespace, QLatin1String(name)).toString().trimmed();
}

// One <item>; the reader stands on its start element and ends on its end.
KZAppcastItem readItem(QXmlStreamReader &xml)
{
    KZAppcastItem item;
    QString elementVersion;
    QString elementShortVersion;
    QUrl link;
    QUrl releaseNotes;
    while (xml.readNextStartElement()) {
        if (isPlain(xml, "title")) {
            item.title = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isPlain(xml, "link")) {
            link = QUrl(xml.readElementText().trimmed());
        } else if (isSparkle(xml, "releaseNotesLink")) {
            releaseNotes = QUrl(xml.readElementText().trimmed());
        } else if (isSparkle(xml, "version")) {
            elementVersion = xml.readElementText().trimmed();
        } else if (isSparkle(xml, "shortVersionString")) {
            elementShortVersion = xml.readElementText().trimmed();
        } else if (isPlain(xml, "enclosure")) {
            const QXmlStreamAttributes attributes = xml.attributes();
            item.downloadURL = QUrl(attributes.value(QLatin1String("url")).toString().trimmed());
            item.version = sparkleAttribute(attributes, "version");
            item.displayVersion = sparkleAttribute(attributes, "shortVersionString");
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    if (item.version.isEmpty())
        item.version = elementVersion;
    if (item.displayVersion.isEmpty())
        item.displayVersion = elementShortVersion;
    if (item.version.isEmpty())
        item.version = item.displayVersion;
    if (item.displayVersion.isEmpty())
        item.displayVersion = item.version;
    item.infoURL = link.isValid() && !link.isEmpty()                   ? link
                   : releaseNotes.isValid() && !releaseNotes.isEmpty() ? releaseNotes
                                                                       : item.downloadURL;
    return item;
}

} // namespace

KZAppcastReader::KZAppcastReader(QObject *parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this))
{
    qRegisterMetaType<KZUpdateCheckResult>();
}

KZAppcastReader::~KZAppcastReader()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

bool KZAppcastReader::checksEnabled(const KZPreferences &preferences)
{
    return preferences.boolForKey(KZPreferenceKeys::checkForUpdates);
}

QUrl KZAppcastReader::feedURL(const KZPreferences &preferences)
{
    const QString chosen = preferences.stringForKey(KZPreferenceKeys::updateFeedURL).trimmed();
    if (!chosen.isEmpty())
        return QUrl(chosen);
    return QUrl(preferences.boolForKey(KZPreferenceKeys::testAppcast) ? testFeed : defaultFeed);
}

QString KZAppcastReader::currentVersion()
{
    return QStringLiteral(TARNWELL_VERSION);
}

std::optional<QList<KZAppcastItem>> KZAppcastReader::parseAppcast(const QByteArray &feed,
                                                                  QString *error)
{
    QXmlStreamReader xml(feed);
    QList<KZAppcastItem> items;
    bool sawChannel = false;
    if (!xml.readNextStartElement() || !isPlain(xml, "rss")) {
        if (error)
            *error = xml.hasError() ? xml.errorString() : QStringLiteral("not an RSS feed");
        return std::nullopt;
    }
    while (xml.readNextStartElement()) {
        if (!isPlain(xml, "channel")) {
            xml.skipCurrentElement();
            continue;
        }
        sawChannel = true;
        while (xml.readNextStartElement()) {
            if (isPlain(xml, "item"))
                items.append(readItem(xml));
            else
                xml.skipCurrentElement();
        }
    }
    if (xml.hasError()) {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
        return std::nullopt;
    }
    if (!sawChannel) {
        if (error)
            *error = QStringLiteral("the feed has no channel");
        return std::nullopt;
    }
    return items;
}

std::optional<KZAppcastItem> KZAppcastReader::bestValidUpdate(const QList<KZAppcastItem> &items,
                                                              const QString &currentVersion)
{
    const KZSparkleVersionComparator &comparator = KZSparkleVersionComparator::defaultComparator();
    std::optional<KZAppcastItem> best;
    for (const KZAppcastItem &item : items) {
        if (item.version.isEmpty())
            continue;
        if (comparator.compareVersion(item.version, currentVersion) <= 0)
            continue;
        if (!best || comparator.compareVersion(item.version, best->version) > 0)
            best = item;
    }
    return best;
}

void KZAppcastReader::checkForUpdateInformation(const QUrl &feed, const QString &currentVersion)
{
    if (m_reply)
        return;
    m_currentVersion = currentVersion;
    const QString scheme = feed.scheme().toLower();
    if (!feed.isValid() || (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
        KZUpdateCheckResult result;
        result.error = QStringLiteral("not a web address: %1").arg(feed.toString());
        // Reported from the event loop, as a fetch would be.
        QMetaObject::invokeMethod(
            this, [this, result] { Q_EMIT finished(result); }, Qt::QueuedConnection);
        return;
    }
    QNetworkRequest request(feed);
    request.setTransferTimeout(m_timeoutSeconds * 1000);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Tarnwell/%1").arg(currentVersion));
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (m_reply && received > maximumFeedSize)
            m_reply->abort();
    });
    connect(m_reply, &QNetworkReply::finished, this, &KZAppcastReader::replyFinished);
}

void KZAppcastReader::replyFinished()
{
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    KZUpdateCheckResult result;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const qint64 available = reply->bytesAvailable();
    if (reply->error() == QNetworkReply::OperationCanceledError) {
        result.error = QStringLiteral("the feed is larger than %1 bytes").arg(maximumFeedSize);
    } else if (reply->error() != QNetworkReply::NoError) {
        result.error = reply->errorString();
    } else if (status != 0 && status != 200) {
        result.error = QStringLiteral("the server answered %1").arg(status);
    } else if (available > maximumFeedSize) {
        result.error = QStringLiteral("the feed is larger than %1 bytes").arg(maximumFeedSize);
    } else {
        QString parseError;
        const std::optional<QList<KZAppcastItem>> items =
            parseAppcast(reply->readAll(), &parseError);
        if (!items) {
            result.error = QStringLiteral("unreadable feed: %1").arg(parseError);
        } else if (const std::optional<KZAppcastItem> best =
                       bestValidUpdate(*items, m_currentVersion)) {
            result.outcome = KZUpdateCheckResult::Outcome::UpdateFound;
            result.item = *best;
        } else {
            result.outcome = KZUpdateCheckResult::Outcome::NoUpdate;
        }
    }
    Q_EMIT finished(result);
}
