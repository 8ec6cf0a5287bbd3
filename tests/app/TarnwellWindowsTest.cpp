// The application's own windows, driven through their widgets: preferences,
// log, help, custom options; and what a screen reader reads of them.
#include "AppTestSupport.h"

#include "CatalogueSupport.h"
#include "KZDriveBrowser.h"
#include "KZEmailOptionsDialog.h"
#include "KZHelpWindow.h"
#include "KZLogWindow.h"
#include "KZOptionsWindow.h"
#include "KZPaths.h"
#include "KZPreferences.h"
#include "KZPreferencesWindow.h"
#include "KZSummaryPanel.h"
#include "KZTestEmailSheet.h"
#include "KZTranslations.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

using namespace AppTestSupport;

namespace {

KZPreferences &preferences()
{
    return KZPreferences::standard();
}

class WindowsTest : public AppTest
{
protected:
    KZPreferencesWindow *preferencesWindow()
    {
        controller().showPreferences();
        return controller().preferencesWindow();
    }
};

void appendToLog(const QByteArray &text)
{
    QFile file(KZPaths::logFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
    file.write(text);
}

} // namespace

// "PollingInterval" never reads below an hour after start-up, and the
// check timer runs at the stored interval.
TEST_F(WindowsTest, PollingIntervalFloor)
{
    const struct
    {
        qint64 stored;
        qint64 expected;
    } cases[] = {{60, 3600}, {0, 3600}, {7200, 7200}};
    for (const auto &item : cases) {
        preferences().setInteger("PollingInterval", item.stored);
        KZAppController app(environment);
        app.awakeFromNib();
        EXPECT_EQ(preferences().integerForKey("PollingInterval"), item.expected) << item.stored;
        app.toggleTimer();
        ASSERT_NE(app.pollingTimer(), nullptr);
        EXPECT_EQ(app.pollingTimer()->interval(), item.expected * 1000);
        EXPECT_EQ(app.preferencesWindow()->pollingHours()->value(), item.expected / 3600);
        app.toggleTimer();
        EXPECT_EQ(app.pollingTimer(), nullptr);
    }
}

// The custom-limit fields keep only the digits of a number from 0 to 1000
// as the user types, and store it.
TEST_F(WindowsTest, CustomLimitFieldsFilterWhatIsTyped)
{
    KZPreferencesWindow *window = preferencesWindow();
    // The fields take input while their own limit is switched on.
    EXPECT_FALSE(window->prefCustomBadSectorCountValue()->isEnabled());
    window->checkBox("CustomBadSectorCount")->click();
    window->checkBox("CustomErrorCount")->click();
    EXPECT_TRUE(window->prefCustomBadSectorCountValue()->isEnabled());
    const struct
    {
        const char *typed;
        bool clearAfter;
        const char *shown;
    } cases[] = {
        {"12a3", false, "123"}, {"5000", false, "1000"}, {"-7", false, "7"}, {"42", true, "0"}};
    for (QLineEdit *field :
         {window->prefCustomBadSectorCountValue(), window->prefCustomErrorCountValue()}) {
        for (const auto &item : cases) {
            field->setFocus();
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Backspace);
            QTest::keyClicks(field, QString::fromLatin1(item.typed));
            if (item.clearAfter) {
                field->selectAll();
                QTest::keyClick(field, Qt::Key_Backspace);
            }
            EXPECT_EQ(field->text(), QString::fromLatin1(item.shown)) << item.typed;
            EXPECT_EQ(preferences().integerForKey(field->objectName()),
                      QString::fromLatin1(item.shown).toLongLong())
                << field->objectName().toStdString();
        }
    }
}

// Shift held at start-up switches debugging on (the checkbox, its key, the
// controller); without Shift nothing changes.
TEST_F(WindowsTest, ShiftAtStartSwitchesDebugOn)
{
    for (const bool shift : {false, true}) {
        modifiers = shift ? Qt::ShiftModifier : Qt::NoModifier;
        KZAppController app(environment);
        app.awakeFromNib();
        EXPECT_EQ(app.preferencesWindow()->prefOutputDebugMessages()->isChecked(), shift);
        EXPECT_EQ(preferences().boolForKey("OutputDebugMessages"), shift);
        EXPECT_EQ(app.outputDebugMessages(), shift);
    }
}

// Every checkbox and the interval write their key as soon as they change.
TEST_F(WindowsTest, EveryControlWritesItsKeyAtOnce)
{
    KZPreferencesWindow *window = preferencesWindow();
    const QStringList keys = {"AutoExpandDrives",        "ShowUnsupportedDrives",
                              "DisplayTempInFahrenheit", "OutputDebugMessages",
                              "IgnoreAttribute190",      "IgnoreAttribute196",
                              "CustomBadSectorCount",    "CustomErrorCount",
                              "RememberBadSectors",      "RememberErrorCount",
                              "FailedTestIsNew",         "EmailDrivePassed",
                              "EmailDriveFailing",       "EmailDriveFailed",
                              "EmailTestCompleted",      "Blink1DrivePassed",
                              "Blink1DriveFailing",      "Blink1DriveFailed",
                              "Blink1TestCompleted",     "PollDrives",
                              "SkipSleepingDrives"};
    for (const QString &key : keys) {
        QCheckBox *box = window->checkBox(key);
        ASSERT_NE(box, nullptr) << key.toStdString();
        const bool before = preferences().boolForKey(key);
        EXPECT_EQ(box->isChecked(), before) << key.toStdString();
        box->click();
        EXPECT_EQ(preferences().boolForKey(key), !before) << key.toStdString();
        EXPECT_TRUE(preferences().hasStoredValue(key));
    }
    window->pollingHours()->setValue(5);
    EXPECT_EQ(preferences().integerForKey("PollingInterval"), 5 * 3600);
    EXPECT_EQ(window->checkBox("SkipSleepingDrives")->accessibleName(),
              "Don't wake sleeping disks");
}

// The timer checkbox starts and stops the check timer.
TEST_F(WindowsTest, PollingCheckboxStartsAndStopsTheTimer)
{
    launch();
    KZPreferencesWindow *window = preferencesWindow();
    ASSERT_NE(controller().pollingTimer(), nullptr);
    window->checkBox("PollDrives")->click();
    EXPECT_EQ(controller().pollingTimer(), nullptr);
    EXPECT_FALSE(window->pollingHours()->isEnabled());
    window->checkBox("PollDrives")->click();
    EXPECT_NE(controller().pollingTimer(), nullptr);
}

// Reset stores the defaults of the display, check and timer keys and shows
// them, and leaves the e-mail and blink(1) keys as the user set them.
TEST_F(WindowsTest, ResetLeavesEmailAndBlink1KeysAlone)
{
    preferences().setBool("EmailDriveFailing", true);
    preferences().setBool("Blink1DrivePassed", false);
    preferences().setString("EmailSMTPAddress", "mail.example.org");
    preferences().setBool("CustomErrorCount", true);
    preferences().setInteger("CustomErrorCountValue", 7);
    preferences().setInteger("PollingInterval", 7200);
    preferences().setBool("IgnoreAttribute190", false);
    preferences().setBool("OutputDebugMessages", true);
    KZPreferencesWindow *window = preferencesWindow();
    EXPECT_TRUE(window->checkBox("CustomErrorCount")->isChecked());

    window->resetButton()->click();

    EXPECT_TRUE(preferences().boolForKey("EmailDriveFailing"));
    EXPECT_FALSE(preferences().boolForKey("Blink1DrivePassed"));
    EXPECT_EQ(preferences().stringForKey("EmailSMTPAddress"), "mail.example.org");
    EXPECT_FALSE(preferences().boolForKey("CustomErrorCount"));
    EXPECT_EQ(preferences().integerForKey("CustomErrorCountValue"), 50);
    EXPECT_EQ(preferences().integerForKey("PollingInterval"), 3600);
    EXPECT_TRUE(preferences().boolForKey("IgnoreAttribute190"));
    EXPECT_FALSE(controller().outputDebugMessages());
    // The window shows what is stored now.
    EXPECT_FALSE(window->checkBox("CustomErrorCount")->isChecked());
    EXPECT_EQ(window->prefCustomErrorCountValue()->text(), "50");
    EXPECT_EQ(window->pollingHours()->value(), 1);
    EXPECT_TRUE(window->checkBox("EmailDriveFailing")->isChecked());
    EXPECT_FALSE(window->checkBox("Blink1DrivePassed")->isChecked());
}

// The e-mail options and test buttons are enabled exactly when an e-mail
// event is switched on.
TEST_F(WindowsTest, EmailButtonsFollowTheEmailEvents)
{
    launch();
    KZPreferencesWindow *window = preferencesWindow();
    EXPECT_FALSE(window->emailOptionsButton()->isEnabled());
    EXPECT_FALSE(window->emailTestButton()->isEnabled());
    for (const char *key :
         {"EmailDrivePassed", "EmailDriveFailing", "EmailDriveFailed", "EmailTestCompleted"}) {
        window->checkBox(key)->click();
        EXPECT_TRUE(window->emailOptionsButton()->isEnabled()) << key;
        EXPECT_TRUE(window->emailTestButton()->isEnabled()) << key;
        window->checkBox(key)->click();
        EXPECT_FALSE(window->emailOptionsButton()->isEnabled()) << key;
    }
}

// The log window is redrawn only when the log's length changed, and always
// once when it is shown; its timer ends once the window is closed.
TEST_F(WindowsTest, LogWindowRedrawRule)
{
    KZAppController &app = controller(); // makes the log folder
    appendToLog("first line\n");
    QPlainTextEdit *text = app.logWindow()->logText();
    QSignalSpy redrawn(text, &QPlainTextEdit::textChanged);

    app.showLog();
    EXPECT_EQ(redrawn.count(), 1);
    EXPECT_EQ(text->toPlainText(), "first line\n");
    ASSERT_NE(app.logTimer(), nullptr);
    EXPECT_EQ(app.logTimer()->interval(), 1000);
    EXPECT_TRUE(text->font().fixedPitch() || QFontInfo(text->font()).fixedPitch());

    app.updateLogView();
    EXPECT_EQ(redrawn.count(), 1) << "unchanged length: not redrawn";
    appendToLog("second line\n");
    app.updateLogView();
    EXPECT_EQ(redrawn.count(), 2);
    EXPECT_EQ(text->toPlainText(), "first line\nsecond line\n");

    app.showLog();
    EXPECT_EQ(redrawn.count(), 3) << "showLog always redraws";

    app.logWindow()->close();
    app.updateLogView();
    EXPECT_EQ(app.logTimer(), nullptr);
    EXPECT_EQ(redrawn.count(), 3);

    app.showLog();
    app.logWindow()->clearButton()->click();
    EXPECT_EQ(QFileInfo(KZPaths::logFile()).size(), 0);
    EXPECT_EQ(text->toPlainText(), "Log is Empty");
}

// Under LANGUAGE=fr the main window speaks French: its menus, the summary's
// captions, the status word and the drive's reasons (kept in English on the
// drive), and Qt's own buttons.
TEST_F(WindowsTest, FrenchWindowUnderLanguageFr)
{
    const TestSupport::UserLanguage french("fr");
    machine.addDrive("sda", failingDrive("FORGE FRANCAIS", "FRENCH01"));
    launch();
    QStringList menus;
    for (const QAction *menu : controller().drivesWindow()->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, QStringList({"&Fichier", "&Disques", "&Réglages", "Fe&nêtre", "&Aide"}));

    const KZSummaryPanel *summary = controller().driveBrowser()->summaryPanel();
    EXPECT_EQ(summary->findChild<QLabel *>("overallSMARTStatusText")->text(),
              "État général\u00a0:");
    const std::pair<const char *, const char *> captions[] = {
        {"driveModelText", "Modèle\u00a0:"},
        {"powerOnHoursText", "Heures de fonctionnement\u00a0:"},
        {"temperatureText", "Température (Celsius)\u00a0:"},
        {"reallocatedBadSectorsText", "Secteurs défectueux réalloués\u00a0:"},
        {"lastTestStatusText", "État du dernier test\u00a0:"}};
    for (const auto &[name, text] : captions)
        EXPECT_EQ(summary->caption(name)->text(), QString::fromUtf8(text)) << name;
    EXPECT_EQ(summary->field("overallSMARTStatus")->text(), "DÉFAILLANT");
    EXPECT_EQ(summary->findChild<QLabel *>("statusReason")->text(),
              "Trop de secteurs défectueux réalloués");
    EXPECT_EQ(summary->button("attributesShowAll")->text(), "Tout afficher");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Annuler");
}

// The help follows the preferred language (French or English) and keeps a
// history for back and forward; every English page has its French one.
TEST_F(WindowsTest, HelpInFrenchAndEnglish)
{
    const struct
    {
        QStringList languages;
        const char *folder;
        const char *title;
    } cases[] = {{{"fr-FR", "en-US"}, "fr", "Aide de Tarnwell"},
                 {{"fr"}, "fr", "Aide de Tarnwell"},
                 {{"en-GB", "fr-FR"}, "en", "Tarnwell Help"},
                 {{"de-DE", "fr-CH"}, "fr", "Aide de Tarnwell"},
                 {{"ja-JP"}, "en", "Tarnwell Help"}};
    KZAppController &app = controller();
    for (const auto &item : cases) {
        KZTranslations::setLanguage(KZTranslations::languageFor(item.languages));
        app.showHelp();
        QTextBrowser *view = app.helpWindow()->helpView();
        EXPECT_EQ(view->source().toString(),
                  QStringLiteral("qrc:/help/%1/top.html").arg(item.folder));
        EXPECT_EQ(view->documentTitle(), item.title);
    }
    KZTranslations::setLanguage("en");
    app.showHelp();
    QTextBrowser *view = app.helpWindow()->helpView();
    view->setSource(view->source().resolved(QUrl("status.html"))); // a link followed
    EXPECT_EQ(view->source().toString(), "qrc:/help/en/status.html");
    EXPECT_TRUE(view->toPlainText().contains("FAILING"));
    EXPECT_TRUE(app.helpWindow()->helpBackButton()->isEnabled());
    EXPECT_FALSE(app.helpWindow()->helpForwardButton()->isEnabled());
    app.helpWindow()->helpBackButton()->click();
    EXPECT_EQ(view->source().toString(), "qrc:/help/en/top.html");
    EXPECT_TRUE(app.helpWindow()->helpForwardButton()->isEnabled());

    QDirIterator pages(":/help/en");
    int count = 0;
    while (pages.hasNext()) {
        const QString page = pages.next();
        ++count;
        EXPECT_TRUE(QFile::exists(QString(page).replace("/en/", "/fr/"))) << page.toStdString();
    }
    EXPECT_GE(count, 5);
}

// smartctl with the options typed runs on the chosen drive, off the GUI
// thread, and its output lands in the log.
TEST_F(WindowsTest, CustomOptionsRunOnTheChosenDrive)
{
    machine.addDrive("sda", passedDrive("FORGE FIRST", "SN-FIRST"));
    machine.addDrive("sdb", passedDrive("FORGE SECOND", "SN-SECOND"));
    launch();
    KZAppController &app = controller();
    app.enterOptions();
    KZOptionsWindow *window = app.optionsWindow();
    ASSERT_EQ(window->drivesPopup()->count(), 2);
    EXPECT_EQ(window->drivesPopup()->itemText(0), "/dev/sda");
    EXPECT_EQ(window->drivesPopup()->itemText(1), "/dev/sdb");
    window->drivesPopup()->setCurrentIndex(1);
    QTest::keyClicks(window->optionsText(), "-i");

    TestSupport::StderrCapture log;
    QSignalSpy finished(&app, &KZAppController::optionsRunFinished);
    window->runButton()->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(app.isBusy());
    ASSERT_TRUE(waitFor([&] { return finished.count() > 0; }));
    const QString text = log.text();
    EXPECT_TRUE(text.contains("FORGE SECOND")) << text.toStdString();
    EXPECT_FALSE(text.contains("FORGE FIRST"));
    EXPECT_FALSE(app.isBusy());

    app.enterOptions();
    EXPECT_TRUE(window->optionsText()->text().isEmpty());
    window->cancelButton()->click();
    EXPECT_FALSE(window->isVisible());
}

// Every control of every window carries an accessible name (its caption),
// so a screen reader, and a test, can read the windows.
TEST_F(WindowsTest, EveryControlHasAnAccessibleName)
{
    KZAppController &app = controller();
    app.showPreferences();
    app.showLog();
    app.showHelp();
    app.enterOptions();
    const QList<QWidget *> windows = {app.drivesWindow(),     app.preferencesWindow(),
                                      app.emailOptionSheet(), app.emailTestSendSheet(),
                                      app.logWindow(),        app.helpWindow(),
                                      app.optionsWindow()};
    int checked = 0;
    for (QWidget *window : windows) {
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            const bool control =
                qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLineEdit *>(widget) ||
                qobject_cast<QAbstractSpinBox *>(widget) || qobject_cast<QComboBox *>(widget) ||
                qobject_cast<QPlainTextEdit *>(widget) || qobject_cast<QTextBrowser *>(widget);
            // The line edits inside spin and combo boxes belong to those.
            const bool inner =
                widget->inherits("QLineEdit") && (widget->parent()->inherits("QAbstractSpinBox") ||
                                                  widget->parent()->inherits("QComboBox"));
            if (!control || inner || widget->objectName().startsWith("qt_"))
                continue;
            QAccessibleInterface *interface = QAccessible::queryAccessibleInterface(widget);
            ASSERT_NE(interface, nullptr);
            EXPECT_FALSE(interface->text(QAccessible::Name).trimmed().isEmpty())
                << window->objectName().toStdString() << ": " << widget->metaObject()->className()
                << " " << widget->objectName().toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, 40);
}
