#include "KZTranslations.h"
#include "TestSupport.h"

#include <QCoreApplication>

// Every test program runs with its own home and XDG folders, so no test
// touches the preferences, log or captures of the person running them. A test
// program that needs another application object defines its own main().
int main(int argc, char **argv)
{
    TestSupport::isolateHome();
    QCoreApplication application(argc, argv);
    // English with its plural forms ("1 minute"), as the programs start.
    KZTranslations::install({QStringLiteral("en")});
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
