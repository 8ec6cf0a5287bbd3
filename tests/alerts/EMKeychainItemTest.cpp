// Secret-store items against the real Secret Service of the test session.
#include "EMKeychainItem.h"
#include "AlertTestSupport.h"
#include "KZException.h"
#include "TestSupport.h"

#include <QProcess>

#include <atomic>
#include <thread>
#include <vector>

using AlertTestSupport::uniqueName;

namespace {

QString service(const QString &user)
{
    return QStringLiteral("Tarnwell (SMTP): %1").arg(user);
}

// What secret-tool (libsecret, outside our code) finds for an item.
QString storedBySecretTool(const QString &serviceName, const QString &account)
{
    QProcess tool;
    tool.start(QStringLiteral("secret-tool"), {QStringLiteral("lookup"), QStringLiteral("server"),
                                               serviceName, QStringLiteral("user"), account});
    if (!tool.waitForFinished(20000)) {
        tool.kill();
        return QStringLiteral("<timed out>");
    }
    return QString::fromUtf8(tool.readAllStandardOutput());
}

} // namespace

TEST(Keychain, AbsentServiceOrAccountGivesNothingAtOnce)
{
    EXPECT_EQ(EMGenericKeychainItem::genericKeychainItemForService(std::nullopt, QString("x")),
              nullptr);
    EXPECT_EQ(EMGenericKeychainItem::genericKeychainItemForService(QString("x"), std::nullopt),
              nullptr);
    EXPECT_EQ(EMGenericKeychainItem::addGenericKeychainItemForService(QString("x"), QString("y"),
                                                                      std::nullopt),
              nullptr);
}

TEST(Keychain, AddThenLookUp)
{
    SKIP_WITHOUT_KEYCHAIN();
    const QString user = uniqueName(QStringLiteral("user"));
    const auto added =
        EMGenericKeychainItem::addGenericKeychainItemForService(service(user), user, "first");
    ASSERT_TRUE(added);
    EXPECT_EQ(added->password(), "first");
    EXPECT_EQ(added->username(), user);
    EXPECT_EQ(added->serviceName(), service(user));

    const auto found = EMGenericKeychainItem::genericKeychainItemForService(service(user), user);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->password(), "first");
    EXPECT_EQ(found->username(), user);
    EXPECT_EQ(found->serviceName(), service(user));
    // Other Secret Service clients see the same item.
    EXPECT_EQ(storedBySecretTool(service(user), user), "first");
}

TEST(Keychain, NonAsciiPasswordComesBackUnchanged)
{
    SKIP_WITHOUT_KEYCHAIN();
    const QString user = uniqueName(QStringLiteral("jörg"));
    const QString password = QStringLiteral("pässwörd ✓ 日本 🔑");
    ASSERT_TRUE(
        EMGenericKeychainItem::addGenericKeychainItemForService(service(user), user, password));
    const auto found = EMGenericKeychainItem::genericKeychainItemForService(service(user), user);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->password(), password);
    EXPECT_EQ(storedBySecretTool(service(user), user), password);
}

TEST(Keychain, LookupUnderAnotherAccountFindsNothing)
{
    SKIP_WITHOUT_KEYCHAIN();
    const QString user = uniqueName(QStringLiteral("owner"));
    ASSERT_TRUE(EMGenericKeychainItem::addGenericKeychainItemForService(service(user), user, "pw"));
    EXPECT_EQ(EMGenericKeychainItem::genericKeychainItemForService(service(user), user + "x"),
              nullptr);
    EXPECT_EQ(EMGenericKeychainItem::genericKeychainItemForService(service(user + "x"), user),
              nullptr);
}

TEST(Keychain, SetPasswordChangesTheStoredItem)
{
    SKIP_WITHOUT_KEYCHAIN();
    const QString user = uniqueName(QStringLiteral("changer"));
    const auto item =
        EMGenericKeychainItem::addGenericKeychainItemForService(service(user), user, "old");
    ASSERT_TRUE(item);
    item->setPassword(QStringLiteral("néw"));
    EXPECT_EQ(item->password(), "néw");
    const auto found = EMGenericKeychainItem::genericKeychainItemForService(service(user), user);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->password(), "néw");
}

TEST(Keychain, AddRefusesAnItemThatIsAlreadyStored)
{
    SKIP_WITHOUT_KEYCHAIN();
    const QString user = uniqueName(QStringLiteral("twice"));
    ASSERT_TRUE(
        EMGenericKeychainItem::addGenericKeychainItemForService(service(user), user, "one"));
    EXPECT_EQ(EMGenericKeychainItem::addGenericKeychainItemForService(service(user), user, "two"),
              nullptr);
    EXPECT_EQ(EMGenericKeychainItem::genericKeychainItemForService(service(user), user)->password(),
              "one");
}

TEST(Keychain, EmptyAccountIsAnAccountLikeAnyOther)
{
    SKIP_WITHOUT_KEYCHAIN();
    const QString serviceName = service(QString()) + uniqueName(QStringLiteral("empty"));
    ASSERT_TRUE(EMGenericKeychainItem::addGenericKeychainItemForService(serviceName, QString(""),
                                                                        "blank-user"));
    const auto found =
        EMGenericKeychainItem::genericKeychainItemForService(serviceName, QString(""));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->password(), "blank-user");
}

TEST(Keychain, RenamingMovesTheItemAndRemovalEndsIt)
{
    SKIP_WITHOUT_KEYCHAIN();
    const QString user = uniqueName(QStringLiteral("mover"));
    const auto item =
        EMGenericKeychainItem::addGenericKeychainItemForService(service(user), user, "pw");
    ASSERT_TRUE(item);
    item->setUsername(user + "-renamed");
    EXPECT_EQ(item->username(), user + "-renamed");
    EXPECT_EQ(EMGenericKeychainItem::genericKeychainItemForService(service(user), user), nullptr);
    ASSERT_TRUE(
        EMGenericKeychainItem::genericKeychainItemForService(service(user), user + "-renamed"));
    item->setServiceName(service(user) + "-moved");
    ASSERT_TRUE(EMGenericKeychainItem::genericKeychainItemForService(service(user) + "-moved",
                                                                     user + "-renamed"));
    item->setLabel(QStringLiteral("SMTP password"));
    EXPECT_EQ(item->label(), "SMTP password");

    EXPECT_TRUE(item->removeFromKeychain());
    EXPECT_EQ(EMGenericKeychainItem::genericKeychainItemForService(service(user) + "-moved",
                                                                   user + "-renamed"),
              nullptr);
    try {
        item->setUsername(QStringLiteral("anyone"));
        FAIL() << "an item that left the store cannot be changed";
    } catch (const KZException &exception) {
        EXPECT_EQ(exception.reason(), "Core keychain item is nil. You cannot modify a keychain "
                                      "item that is not in the keychain.");
    }
    try {
        item->removeFromKeychain();
        FAIL() << "an item that left the store cannot be removed again";
    } catch (const KZException &exception) {
        EXPECT_EQ(exception.reason(), "Core keychain item is nil. You cannot remove a keychain "
                                      "item that is not in the keychain already.");
    }
}

TEST(Keychain, ManyThreadsAskAtOnce)
{
    SKIP_WITHOUT_KEYCHAIN();
    const QString user = uniqueName(QStringLiteral("shared"));
    ASSERT_TRUE(
        EMGenericKeychainItem::addGenericKeychainItemForService(service(user), user, "shared-pw"));
    std::atomic<int> found{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 6; ++i) {
        threads.emplace_back([&] {
            for (int round = 0; round < 3; ++round) {
                const auto item =
                    EMGenericKeychainItem::genericKeychainItemForService(service(user), user);
                if (item && item->password() == QLatin1String("shared-pw"))
                    ++found;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(found.load(), 18);
}
