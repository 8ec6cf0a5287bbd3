#include "KZTranslations.h"
#include "TestSupport.h"

#include <QApplication>

// The application's tests run a real QApplication on the offscreen platform
// (no display needed) with private HOME and XDG folders. The pictures of the
// documentation (TARNWELL_SCREENSHOT_DIR set) are taken on the display, a
// virtual one under xvfb-run.
int main(int argc, char **argv)
{
    TestSupport::isolateHome();
    if (qEnvironmentVariableIsEmpty("TARNWELL_SCREENSHOT_DIR") ||
        qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwell"));
    // English with its plural forms ("1 minute"), as the programs start.
    KZTranslations::install({QStringLiteral("en")});
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
