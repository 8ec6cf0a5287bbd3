#include "KZException.h"
#include "KZSMARTDrive.h"
#include "TestSupport.h"

TEST(ParseLine, ReturnsTheValueAfterTheFirstColonBlank)
{
    EXPECT_EQ(KZSMARTDrive::parseLine("Device Model:     WDC WD10EZEX"), "WDC WD10EZEX");
    EXPECT_EQ(KZSMARTDrive::parseLine("Local Time is:    Mon Dec  7 10:11:12 2026"),
              "Mon Dec  7 10:11:12 2026");
    EXPECT_EQ(KZSMARTDrive::parseLine("Name: \t\t value: with: colons"), "value: with: colons");
    EXPECT_EQ(KZSMARTDrive::parseLine("a: b"), "b");
}

TEST(ParseLine, ThrowsWithoutAValue)
{
    EXPECT_THROW(KZSMARTDrive::parseLine("Serial Number:"), KZException);
    EXPECT_THROW(KZSMARTDrive::parseLine("Serial Number:   \t  "), KZException);
    EXPECT_THROW(KZSMARTDrive::parseLine("Serial Number:value"), KZException);
    EXPECT_THROW(KZSMARTDrive::parseLine(""), KZException);
}

TEST(ConvertStringToHex, ReadsTheNumberInParentheses)
{
    EXPECT_EQ(KZSMARTDrive::convertStringToHex("Offline data collection status:  (0x82)\tOffline"),
              130u);
    EXPECT_EQ(KZSMARTDrive::convertStringToHex("SMART capabilities:            (0x0003)\tSaves"),
              3u);
    EXPECT_EQ(KZSMARTDrive::convertStringToHex("x ( 0x7b) y"), 0x7bu);
    EXPECT_EQ(KZSMARTDrive::convertStringToHex("x (0Xff) y"), 0xffu);
    EXPECT_EQ(KZSMARTDrive::convertStringToHex("x (  1f ) y"), 0x1fu);
    EXPECT_EQ(KZSMARTDrive::convertStringToHex("x (zzzzzz)"), 0u);
}

TEST(ConvertStringToHex, ThrowsWithoutSixCharactersAfterTheParenthesis)
{
    EXPECT_THROW(KZSMARTDrive::convertStringToHex("no parenthesis at all"), KZException);
    EXPECT_THROW(KZSMARTDrive::convertStringToHex("short (0x1)"), KZException);
    EXPECT_THROW(KZSMARTDrive::convertStringToHex("("), KZException);
}

TEST(ConvertStringToInt, ReadsTheWholeLineOrTheParenthesis)
{
    EXPECT_EQ(KZSMARTDrive::convertStringToInt("data collection: \t\t(  120) seconds.", true), 120);
    EXPECT_EQ(KZSMARTDrive::convertStringToInt("polling time:  (   2) minutes.", true), 2);
    EXPECT_EQ(
        KZSMARTDrive::convertStringToInt("status: (249)\tSelf-test routine in progress", true),
        249);
    EXPECT_EQ(KZSMARTDrive::convertStringToInt("  42 apples", false), 42);
    EXPECT_EQ(KZSMARTDrive::convertStringToInt("-17", false), -17);
    EXPECT_EQ(KZSMARTDrive::convertStringToInt("abc", false), 0);
    EXPECT_EQ(KZSMARTDrive::convertStringToInt("", false), 0);
    EXPECT_EQ(KZSMARTDrive::convertStringToInt("99999999999999999999", false), INT32_MAX);
}

TEST(ConvertStringToInt, ThrowsWhenTheParenthesisIsMissingOrShort)
{
    EXPECT_THROW(KZSMARTDrive::convertStringToInt("no parenthesis", true), KZException);
    EXPECT_THROW(KZSMARTDrive::convertStringToInt("ends with (12)", true), KZException);
    EXPECT_NO_THROW(KZSMARTDrive::convertStringToInt("no parenthesis", false));
}
