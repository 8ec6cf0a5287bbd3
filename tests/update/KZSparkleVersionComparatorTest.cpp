#include "KZSparkleVersionComparator.h"
#include "TestSupport.h"

namespace {

int compare(const char *a, const char *b)
{
    return KZSparkleVersionComparator::defaultComparator().compareVersion(QString::fromUtf8(a),
                                                                          QString::fromUtf8(b));
}

} // namespace

TEST(VersionComparator, FiveCharacterVersionsKeepTheirOrder)
{
    EXPECT_EQ(compare("3.2.4", "3.2.4"), 0);
    EXPECT_EQ(compare("3.2.4", "3.2.5"), -1);
    EXPECT_EQ(compare("3.2.5", "3.2.4"), 1);
    EXPECT_EQ(compare("3.3.0", "3.2.9"), 1);
    EXPECT_EQ(compare("3.2.4", "3.1.9"), 1);
    EXPECT_EQ(compare("2.9.9", "3.0.0"), -1);
}

TEST(VersionComparator, TextAfterTheDigitsOfAPartIsIgnored)
{
    EXPECT_EQ(compare("3.2.4", "3.2.4b"), 0);
    EXPECT_EQ(compare("3.2.4b", "3.2.4"), 0);
    EXPECT_EQ(compare("3.2.4b", "3.2.5"), -1);
}

TEST(VersionComparator, PartsOfSeveralDigitsCompareAsNumbers)
{
    EXPECT_EQ(compare("3.2.10", "3.2.9"), 1);
    EXPECT_EQ(compare("3.2.9", "3.2.10"), -1);
    EXPECT_EQ(compare("10.0.0", "9.9.9"), 1);
    EXPECT_EQ(compare("3.02.1", "3.2.1"), 0); // leading zeros do not count
    // Longer than any integer type: still compared digit string by digit string.
    EXPECT_EQ(compare("1.123456789012345678901234567890", "1.123456789012345678901234567891"), -1);
}

TEST(VersionComparator, ShortVersionsAreReadSafely)
{
    EXPECT_EQ(compare("", ""), 0);
    EXPECT_EQ(compare("", "1"), -1);
    EXPECT_EQ(compare("3", "3.0"), -1); // fewer parts after an equal start: older
    EXPECT_EQ(compare("3.2", "3.1.9"), 1);
    EXPECT_EQ(compare("3.2.4.1", "3.2.4"), 1);
    EXPECT_EQ(compare("3.", "3.0"), -1); // an empty part is below a number
}

TEST(VersionComparator, PartsWithoutDigitsAreOlderThanNumbers)
{
    EXPECT_EQ(compare("3.x", "3.0"), -1);
    EXPECT_EQ(compare("3.beta", "3.alpha"), 1);
    EXPECT_EQ(compare(" 3.2.4 ", "3.2.4"), 0);
}

TEST(VersionComparator, OrderIsAntisymmetric)
{
    const char *versions[] = {"", "1", "1.0", "1.0.1", "1.0b", "1.2.10", "1.2.9", "2", "x.1"};
    for (const char *a : versions) {
        for (const char *b : versions)
            EXPECT_EQ(compare(a, b), -compare(b, a)) << a << " vs " << b;
    }
}

TEST(VersionComparator, DefaultComparatorIsOneObject)
{
    EXPECT_EQ(&KZSparkleVersionComparator::defaultComparator(),
              &KZSparkleVersionComparator::defaultComparator());
}
