#include "KZTranslations.h"
#include "TestSupport.h"

#include <QApplication>

// The monitor's in-process tests run a real QApplication on the offscreen
// platform (no tray there: the menu exists all the same) with private HOME
// and XDG folders.
int main(int argc, char **argv)
{
    TestSupport::isolateHome();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarnwell-menu-item"));
    // English with its plural forms ("1 minute"), as the programs start.
    KZTranslations::install({QStringLiteral("en")});
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
