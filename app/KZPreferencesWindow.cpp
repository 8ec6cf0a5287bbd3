#include "KZPreferencesWindow.h"

#include "KZAlertPresenter.h"
#include "KZAppController.h"
#include "KZBlink1Controller.h"
#include "KZCheckHistory.h"
#include "KZMonitor.h"
#include "KZPreferenceKeys.h"
#include "KZPreferenceRules.h"
#include "KZPreferences.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

KZPreferences &preferences()
{
    return KZPreferences::standard();
}

QGroupBox *group(const QString &title, QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    box->setAccessibleName(title);
    new QVBoxLayout(box);
    return box;
}

} // namespace

KZPreferencesWindow::KZPreferencesWindow(KZAppController *controller, QWidget *parent)
    : QWidget(parent, Qt::Window), m_controller(controller)
{
    setObjectName(QStringLiteral("preferencesWindow"));
    setWindowTitle(tr("Tarnwell Preferences"));
    auto *layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(makeGeneralPage(), tr("General"));
    m_tabs->addTab(makeChecksPage(), tr("Checks"));
    m_tabs->addTab(makeAlertsPage(), tr("Alerts"));
    layout->addWidget(m_tabs);

    auto *buttons = new QDialogButtonBox(this);
    m_resetButton = buttons->addButton(tr("Reset"), QDialogButtonBox::ResetRole);
    m_resetButton->setToolTip(tr("Restore the default display, check and timer settings "
                                 "(e-mail and blink(1) settings are kept)"));
    QPushButton *close = buttons->addButton(QDialogButtonBox::Close);
    connect(m_resetButton, &QPushButton::clicked, m_controller,
            &KZAppController::resetPrefsToDefaults);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    layout->addWidget(buttons);
    reload();
}

QCheckBox *KZPreferencesWindow::addCheckBox(const QString &key, const QString &caption,
                                            QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(key);
    box->setAccessibleName(caption);
    parent->layout()->addWidget(box);
    m_checkBoxes.insert(key, box);
    connect(box, &QCheckBox::toggled, this,
            [key](bool checked) { preferences().setBool(key, checked); });
    return box;
}

QLineEdit *KZPreferencesWindow::addLimitField(const QString &key, const QString &caption,
                                              QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(24, 0, 0, 0);
    auto *label = new QLabel(caption, row);
    auto *field = new QLineEdit(row);
    field->setObjectName(key);
    field->setAccessibleName(caption);
    field->setMaximumWidth(80);
    field->setAlignment(Qt::AlignRight);
    label->setBuddy(field);
    m_limitLabels.append(label);
    rowLayout->addWidget(label);
    rowLayout->addWidget(field);
    rowLayout->addStretch(1);
    parent->layout()->addWidget(row);
    m_limitFields.insert(key, field);
    connect(field, &QLineEdit::textEdited, this, [this, field, key] { limitEdited(field, key); });
    return field;
}

void KZPreferencesWindow::limitEdited(QLineEdit *field, const QString &key)
{
    m_controller->textDidChange(field);
    preferences().setInteger(key, field->text().toLongLong());
}

QWidget *KZPreferencesWindow::makeGeneralPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);

    QGroupBox *display = group(tr("Drive list"), page);
    addCheckBox(KZPreferenceKeys::autoExpandDrives, tr("Show each drive's volumes in the list"),
                display);
    addCheckBox(KZPreferenceKeys::showUnsupportedDrives,
                tr("Also list drives without S.M.A.R.T. support"), display);
    addCheckBox(KZPreferenceKeys::displayTempInFahrenheit,
                tr("Show temperatures in degrees Fahrenheit"), display);
    layout->addWidget(display);

    QGroupBox *timer = group(tr("Checks on a timer"), page);
    auto *row = new QWidget(timer);
    auto *rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    QCheckBox *poll = new QCheckBox(tr("Check all drives every"), row);
    poll->setObjectName(KZPreferenceKeys::pollDrives);
    poll->setAccessibleName(tr("Check all drives on a timer"));
    m_checkBoxes.insert(KZPreferenceKeys::pollDrives, poll);
    m_pollingHours = new QSpinBox(row);
    m_pollingHours->setObjectName(KZPreferenceKeys::pollingInterval);
    m_pollingHours->setRange(1, 24 * 7);
    connect(m_pollingHours, &QSpinBox::valueChanged, m_pollingHours,
            [this](int hours) { m_pollingHours->setSuffix(hoursSuffix(hours)); });
    m_pollingHours->setAccessibleName(tr("Hours between checks"));
    rowLayout->addWidget(poll);
    rowLayout->addWidget(m_pollingHours);
    rowLayout->addStretch(1);
    timer->layout()->addWidget(row);
    auto *note = new QLabel(tr("A new interval takes effect when the timer next starts."), timer);
    note->setEnabled(false);
    note->setWordWrap(true);
    timer->layout()->addWidget(note);
    connect(poll, &QCheckBox::toggled, this, [this](bool checked) {
        preferences().setBool(KZPreferenceKeys::pollDrives, checked);
        m_pollingHours->setEnabled(checked);
        if (checked != (m_controller->pollingTimer() != nullptr))
            m_controller->toggleTimer();
    });
    connect(m_pollingHours, &QSpinBox::valueChanged, this, [](int hours) {
        preferences().setInteger(KZPreferenceKeys::pollingInterval, qint64(hours) * 3600);
    });
    layout->addWidget(timer);

    QGroupBox *troubleshooting = group(tr("Troubleshooting"), page);
    QCheckBox *debug = addCheckBox(KZPreferenceKeys::outputDebugMessages,
                                   tr("Write debug messages to the log"), troubleshooting);
    connect(debug, &QCheckBox::toggled, m_controller, &KZAppController::toggleDebug);
    layout->addWidget(troubleshooting);

    // Filled by the tray monitor's side of the controller.
    QGroupBox *tray = group(tr("Tray monitor and notifications"), page);
    m_extraRows = qobject_cast<QVBoxLayout *>(tray->layout());
    layout->addWidget(tray);
    layout->addStretch(1);
    return page;
}

QWidget *KZPreferencesWindow::makeChecksPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);

    QGroupBox *attributes = group(tr("Attributes"), page);
    addCheckBox(KZPreferenceKeys::ignoreAttribute190,
                tr("Never count attribute 190 (airflow temperature) as failing"), attributes);
    addCheckBox(KZPreferenceKeys::ignoreAttribute196,
                tr("Never count attribute 196 (reallocation events) as failing"), attributes);
    layout->addWidget(attributes);

    QGroupBox *limits = group(tr("Limits"), page);
    QCheckBox *customBadSectors = addCheckBox(
        KZPreferenceKeys::customBadSectorCount,
        tr("Use my own limit for bad sectors (otherwise any bad sector counts)"), limits);
    m_badSectorValue = addLimitField(KZPreferenceKeys::customBadSectorCountValue,
                                     tr("Bad sectors allowed (0 to 1000):"), limits);
    QCheckBox *customErrors =
        addCheckBox(KZPreferenceKeys::customErrorCount,
                    tr("Use my own limit for logged errors (otherwise 50)"), limits);
    m_errorCountValue = addLimitField(KZPreferenceKeys::customErrorCountValue,
                                      tr("Errors allowed (0 to 1000):"), limits);
    // The two value fields line up, and take input only while their limit is on.
    int labelWidth = 0;
    for (QLabel *label : std::as_const(m_limitLabels))
        labelWidth = qMax(labelWidth, label->sizeHint().width());
    for (QLabel *label : std::as_const(m_limitLabels))
        label->setMinimumWidth(labelWidth);
    connect(customBadSectors, &QCheckBox::toggled, m_badSectorValue, &QWidget::setEnabled);
    connect(customErrors, &QCheckBox::toggled, m_errorCountValue, &QWidget::setEnabled);
    layout->addWidget(limits);

    QGroupBox *remember = group(tr("Only new problems"), page);
    addCheckBox(KZPreferenceKeys::rememberBadSectors,
                tr("Bad sectors above the limit count only when their number grew"), remember);
    addCheckBox(KZPreferenceKeys::rememberErrorCount,
                tr("Errors above the limit count only when their number grew"), remember);
    addCheckBox(KZPreferenceKeys::failedTestIsNew,
                tr("A failed self-test counts only when it is new since the last check"), remember);
    layout->addWidget(remember);

    // The history of checks: every check of the last 90 days, one a day before.
    QGroupBox *history = group(tr("History of checks"), page);
    auto *historyRow = new QWidget(history);
    auto *historyLayout = new QHBoxLayout(historyRow);
    historyLayout->setContentsMargins(0, 0, 0, 0);
    auto *historyLabel = new QLabel(tr("Keep the history of checks for"), historyRow);
    m_historyDays = new QSpinBox(historyRow);
    m_historyDays->setObjectName(KZPreferenceKeys::historyRetentionDays);
    m_historyDays->setRange(0, 36500);
    m_historyDays->setSpecialValueText(tr("no history"));
    m_historyDays->setAccessibleName(tr("Days the history of checks is kept (0: none)"));
    // A shorter retention removes older checks: stored once the number is
    // typed whole, not at every digit.
    m_historyDays->setKeyboardTracking(false);
    historyLabel->setBuddy(m_historyDays);
    historyLayout->addWidget(historyLabel);
    historyLayout->addWidget(m_historyDays);
    historyLayout->addStretch(1);
    history->layout()->addWidget(historyRow);
    auto *historyNote = new QLabel(tr("Every check of the last 90 days is kept, one a day "
                                      "before that."),
                                   history);
    historyNote->setEnabled(false);
    historyNote->setWordWrap(true);
    history->layout()->addWidget(historyNote);
    connect(m_historyDays, &QSpinBox::valueChanged, this, &KZPreferencesWindow::historyDaysChanged);
    layout->addWidget(history);

    QGroupBox *sleeping = group(tr("Sleeping disks"), page);
    addCheckBox(KZPreferenceKeys::skipSleepingDrives, tr("Don't wake sleeping disks"), sleeping);
    auto *sleepingNote = new QLabel(
        tr("Timed checks leave a disk that sleeps asleep and show the values of its last read. "
           "The first check after start and a check you start read it all the same, and so "
           "does one timed check in every %1 while it sleeps.")
            .arg(KZMonitor::maxSkippedChecks(preferences())),
        sleeping);
    sleepingNote->setEnabled(false);
    sleepingNote->setWordWrap(true);
    sleeping->layout()->addWidget(sleepingNote);
    layout->addWidget(sleeping);
    layout->addStretch(1);
    return page;
}

QWidget *KZPreferencesWindow::makeAlertsPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);

    QGroupBox *email = group(tr("E-mail me when"), page);
    for (const auto &[key, caption] :
         {std::pair{KZPreferenceKeys::emailDrivePassed, tr("a check finds a drive passed")},
          std::pair{KZPreferenceKeys::emailDriveFailing, tr("a check finds a drive failing")},
          std::pair{KZPreferenceKeys::emailDriveFailed, tr("a check finds a drive failed")},
          std::pair{KZPreferenceKeys::emailTestCompleted, tr("a self-test has completed")}}) {
        QCheckBox *box = addCheckBox(key, caption, email);
        box->setAccessibleName(tr("E-mail me when %1").arg(caption));
        connect(box, &QCheckBox::toggled, m_controller, &KZAppController::toggleEmailOptionsButton);
    }
    auto *buttonRow = new QWidget(email);
    auto *buttonLayout = new QHBoxLayout(buttonRow);
    buttonLayout->setContentsMargins(0, 6, 0, 0);
    m_emailOptionsButton = new QPushButton(tr("E-mail Options..."), buttonRow);
    m_emailTestButton = new QPushButton(tr("Send Test E-mail"), buttonRow);
    buttonLayout->addWidget(m_emailOptionsButton);
    buttonLayout->addWidget(m_emailTestButton);
    buttonLayout->addStretch(1);
    email->layout()->addWidget(buttonRow);
    m_emailErrorMessage = new QLabel(email);
    m_emailErrorMessage->setObjectName(QStringLiteral("emailErrorMessage"));
    m_emailErrorMessage->setWordWrap(true);
    m_emailErrorMessage->hide();
    email->layout()->addWidget(m_emailErrorMessage);
    connect(m_emailOptionsButton, &QPushButton::clicked, m_controller,
            &KZAppController::showEmailOptions);
    connect(m_emailTestButton, &QPushButton::clicked, m_controller, &KZAppController::testEmail);
    layout->addWidget(email);

    QGroupBox *blink1 = group(tr("Light the blink(1) LED when"), page);
    for (const auto &[key, caption] :
         {std::pair{KZPreferenceKeys::blink1DrivePassed, tr("all drives passed (green)")},
          std::pair{KZPreferenceKeys::blink1DriveFailing, tr("a drive is failing (yellow)")},
          std::pair{KZPreferenceKeys::blink1DriveFailed, tr("a drive failed (red)")},
          std::pair{KZPreferenceKeys::blink1TestCompleted,
                    tr("a self-test has completed (blue)")}}) {
        QCheckBox *box = addCheckBox(key, caption, blink1);
        box->setAccessibleName(tr("Light the blink(1) LED when %1").arg(caption));
    }
    if (!m_controller->blink1Available()) {
        auto *missing = new QLabel(
            tr("blink1-tool was not found at %1.").arg(KZBlink1Controller::toolPath()), blink1);
        missing->setEnabled(false);
        missing->setWordWrap(true);
        blink1->layout()->addWidget(missing);
    }
    layout->addWidget(blink1);

    // For a node_exporter that runs as the user: its textfile folder.
    QGroupBox *prometheus = group(tr("Prometheus"), page);
    auto *form = new QFormLayout;
    m_prometheusPath = new QLineEdit(prometheus);
    m_prometheusPath->setObjectName(KZPreferenceKeys::prometheusExportPath);
    m_prometheusPath->setPlaceholderText(tr("Not written"));
    form->addRow(tr("Write the verdicts after each check to:"), m_prometheusPath);
    m_prometheusPath->setAccessibleName(tr("Write the verdicts after each check to:"));
    static_cast<QVBoxLayout *>(prometheus->layout())->addLayout(form);
    auto *hint = new QLabel(tr("A file such as "
                               "/var/lib/prometheus/node-exporter/tarnwell.prom, read by "
                               "node_exporter's textfile collector."),
                            prometheus);
    hint->setWordWrap(true);
    hint->setEnabled(false);
    prometheus->layout()->addWidget(hint);
    connect(m_prometheusPath, &QLineEdit::editingFinished, this, [this] {
        preferences().setString(KZPreferenceKeys::prometheusExportPath,
                                m_prometheusPath->text().trimmed());
    });
    layout->addWidget(prometheus);
    layout->addStretch(1);
    return page;
}

void KZPreferencesWindow::showEvent(QShowEvent *event)
{
    // A window's minimum size leaves out what its wrapped hints need at its
    // width (longer in some languages): without room for them the rows
    // above them would be squeezed.
    const int needed = layout()->totalHeightForWidth(width());
    if (needed > height())
        resize(width(), needed);
    QWidget::showEvent(event);
}

QString KZPreferencesWindow::daysSuffix(int days)
{
    return tr(" days", "after a number of days", days);
}

QString KZPreferencesWindow::hoursSuffix(int hours)
{
    // The number stands before the suffix: the plural form follows it.
    return tr(" hours", "after a number of hours", hours);
}

void KZPreferencesWindow::historyDaysChanged(int days)
{
    // A shorter retention removes the older checks at the next check: asked
    // first, and the number put back when the user keeps them.
    const int stored = KZCheckHistory::retentionDays(preferences());
    const std::optional<qint64> removed =
        KZCheckHistory().checksRemovedByRetention(stored, days, m_controller->now());
    if (removed && *removed > 0) {
        const QString text =
            tr("The history holds %n checks older than %1. The next check removes them, and "
               "they cannot be brought back.",
               "", int(std::min<qint64>(*removed, std::numeric_limits<int>::max())))
                .arg(tr("%n days", "", days));
        const int answer = KZAlertPresenter::current().runAlert(
            KZAlertPresenter::Style::Informational, tr("Remove older checks from the history?"),
            text, {tr("Keep Them"), tr("Remove Them")});
        if (answer != 1) {
            const QSignalBlocker blocker(m_historyDays);
            m_historyDays->setValue(stored);
            m_historyDays->setSuffix(daysSuffix(stored));
            return;
        }
    }
    m_historyDays->setSuffix(daysSuffix(days));
    preferences().setInteger(KZPreferenceKeys::historyRetentionDays, days);
}

void KZPreferencesWindow::reload()
{
    for (auto it = m_checkBoxes.cbegin(); it != m_checkBoxes.cend(); ++it) {
        const QSignalBlocker blocker(it.value());
        it.value()->setChecked(preferences().boolForKey(it.key()));
    }
    for (auto it = m_limitFields.cbegin(); it != m_limitFields.cend(); ++it)
        it.value()->setText(QString::number(preferences().integerForKey(it.key())));
    m_badSectorValue->setEnabled(checkBox(KZPreferenceKeys::customBadSectorCount)->isChecked());
    m_errorCountValue->setEnabled(checkBox(KZPreferenceKeys::customErrorCount)->isChecked());
    {
        const QSignalBlocker blocker(m_pollingHours);
        const qint64 seconds = preferences().integerForKey(KZPreferenceKeys::pollingInterval);
        const int hours = int(std::clamp<qint64>((seconds + 1800) / 3600, 1, 24 * 7));
        m_pollingHours->setValue(hours);
        m_pollingHours->setSuffix(hoursSuffix(hours));
        m_pollingHours->setEnabled(preferences().boolForKey(KZPreferenceKeys::pollDrives));
    }
    m_prometheusPath->setText(preferences().stringForKey(KZPreferenceKeys::prometheusExportPath));
    {
        const QSignalBlocker blocker(m_historyDays);
        m_historyDays->setValue(int(std::clamp<qint64>(
            preferences().integerForKey(KZPreferenceKeys::historyRetentionDays), 0, 36500)));
        m_historyDays->setSuffix(daysSuffix(m_historyDays->value()));
    }
}
