// The update feed reader: appcast texts, and fetches from a web server on
// 127.0.0.1.
#include "KZAppcastReader.h"
#include "KZPreferences.h"
#include "TestSupport.h"
#include "WebTestServer.h"

#include <QEventLoop>
#include <QTimer>

namespace {

QByteArray feedOf(const QByteArray &items)
{
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel>
    <title>Tarnwell</title>
)" + items +
           R"(
  </channel>
</rss>
)";
}

QByteArray enclosureItem(const QByteArray &version, const QByteArray &shortVersion = {})
{
    QByteArray item = "<item><title>Tarnwell " + version +
                      "</title><link>https://tarnwell.org/release/" + version +
                      "</link><enclosure url=\"https://tarnwell.org/tarnwell-" + version +
                      ".tar.gz\" sparkle:version=\"" + version + "\"";
    if (!shortVersion.isEmpty())
        item += " sparkle:shortVersionString=\"" + shortVersion + "\"";
    return item + " length=\"1\" type=\"application/octet-stream\"/></item>\n";
}

KZUpdateCheckResult check(const QUrl &feed, const QString &current)
{
    KZAppcastReader reader;
    KZUpdateCheckResult got;
    bool done = false;
    QEventLoop loop;
    QObject::connect(&reader, &KZAppcastReader::finished, &loop,
                     [&](const KZUpdateCheckResult &result) {
                         got = result;
                         done = true;
                         loop.quit();
                     });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    reader.checkForUpdateInformation(feed, current);
    reader.checkForUpdateInformation(feed, current); // ignored while one runs
    loop.exec();
    EXPECT_TRUE(done) << "no answer from the reader";
    return got;
}

} // namespace

TEST(Appcast, ReadsTheReleasesOfAFeedInEitherForm)
{
    const QByteArray elementForm = R"(<item><title>Tarnwell 0.3</title>
        <sparkle:version>0.3.1</sparkle:version>
        <sparkle:shortVersionString>0.3</sparkle:shortVersionString>
        <sparkle:releaseNotesLink>https://tarnwell.org/notes/0.3</sparkle:releaseNotesLink>
        <enclosure url="https://tarnwell.org/t.tar.gz" length="1"/></item>)";
    const auto items = KZAppcastReader::parseAppcast(feedOf(
        enclosureItem("0.2.0", "0.2") + elementForm + "<item><title>no version</title></item>"));
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 3);
    EXPECT_EQ(items->at(0).version, "0.2.0");
    EXPECT_EQ(items->at(0).displayVersion, "0.2");
    EXPECT_EQ(items->at(0).infoURL.toString(), "https://tarnwell.org/release/0.2.0");
    EXPECT_EQ(items->at(1).version, "0.3.1");
    EXPECT_EQ(items->at(1).displayVersion, "0.3");
    EXPECT_EQ(items->at(1).infoURL.toString(), "https://tarnwell.org/notes/0.3");
    EXPECT_EQ(items->at(1).downloadURL.toString(), "https://tarnwell.org/t.tar.gz");
    EXPECT_TRUE(items->at(2).version.isEmpty());

    // The newest release newer than this one; releases without a version
    // and older ones never count.
    EXPECT_EQ(KZAppcastReader::bestValidUpdate(*items, "0.1.0")->version, "0.3.1");
    EXPECT_EQ(KZAppcastReader::bestValidUpdate(*items, "0.2.10")->version, "0.3.1");
    EXPECT_FALSE(KZAppcastReader::bestValidUpdate(*items, "0.3.1"));
    EXPECT_FALSE(KZAppcastReader::bestValidUpdate(*items, "1.0"));

    for (const QByteArray &bad : {QByteArray("<html><body>Not found</body></html>"),
                                  QByteArray("<rss><channel><item><title>x</titel></item>"),
                                  QByteArray("<rss version=\"2.0\"></rss>"), QByteArray()}) {
        QString error;
        EXPECT_FALSE(KZAppcastReader::parseAppcast(bad, &error)) << bad.toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(Appcast, FeedIsChosenByThePreferencesAndChecksAreOffByDefault)
{
    KZPreferences preferences(TestSupport::homeDir() + "/appcast.conf");
    preferences.registerMenuItemDefaults();
    EXPECT_FALSE(KZAppcastReader::checksEnabled(preferences));
    EXPECT_EQ(KZAppcastReader::feedURL(preferences).toString(), KZAppcastReader::defaultFeed);
    preferences.setBool("TestAppcast", true);
    EXPECT_EQ(KZAppcastReader::feedURL(preferences).toString(), KZAppcastReader::testFeed);
    preferences.setString("UpdateFeedURL", " http://127.0.0.1:8080/feed.xml ");
    EXPECT_EQ(KZAppcastReader::feedURL(preferences).toString(), "http://127.0.0.1:8080/feed.xml");
    preferences.setBool("CheckForUpdates", true);
    EXPECT_TRUE(KZAppcastReader::checksEnabled(preferences));
}

TEST(Appcast, ChecksAFeedServedOnTheLoopback)
{
    WebTestServer server;
    ASSERT_TRUE(server.started()) << "python3's http.server did not start";
    const QUrl feed =
        server.put("appcast.xml", feedOf(enclosureItem("0.1.0") + enclosureItem("9.1.0", "9.1")));
    const KZUpdateCheckResult found = check(feed, "0.1.0");
    ASSERT_EQ(found.outcome, KZUpdateCheckResult::Outcome::UpdateFound)
        << found.error.toStdString();
    EXPECT_EQ(found.item.version, "9.1.0");
    EXPECT_EQ(check(feed, "9.1.0").outcome, KZUpdateCheckResult::Outcome::NoUpdate);

    struct Failure
    {
        QUrl feed;
        const char *error;
    };
    const Failure failures[] = {
        {server.put("garbage.xml", "this is no feed"), "unreadable feed"},
        {server.put("huge.xml", QByteArray(KZAppcastReader::maximumFeedSize + 10, 'x')), "larger"},
        {QUrl(feed.toString().replace("appcast.xml", "missing.xml")), "server replied"},
        {QUrl("ftp://127.0.0.1/appcast.xml"), "not a web address"},
    };
    for (const Failure &failure : failures) {
        const KZUpdateCheckResult result = check(failure.feed, "0.1.0");
        EXPECT_EQ(result.outcome, KZUpdateCheckResult::Outcome::Failed);
        EXPECT_TRUE(result.error.contains(failure.error)) << result.error.toStdString();
    }
}
