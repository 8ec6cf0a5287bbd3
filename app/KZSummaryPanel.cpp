#include "KZSummaryPanel.h"

#include "KZDriveColours.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

} // namespace

KZSummaryPanel::KZSummaryPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("summaryPanel"));
    auto *layout = new QVBoxLayout(this);

    auto *statusRow = new QHBoxLayout;
    m_status = new QLineEdit;
    m_status->setObjectName(QStringLiteral("overallSMARTStatus"));
    m_status->setReadOnly(true);
    m_status->setAlignment(Qt::AlignCenter);
    QFont statusFont = m_status->font();
    statusFont.setBold(true);
    statusFont.setPointSizeF(statusFont.pointSizeF() * 1.4);
    m_status->setFont(statusFont);
    m_status->setAutoFillBackground(true);
    m_status->setMinimumHeight(QFontMetrics(statusFont).height() * 2);
    auto *statusCaption = new QLabel(tr("Overall Status:"));
    statusCaption->setObjectName(QStringLiteral("overallSMARTStatusText"));
    statusCaption->setBuddy(m_status);
    statusRow->addWidget(statusCaption, 0, Qt::AlignVCenter);
    statusRow->addWidget(m_status, 1);
    m_values.insert(m_status);
    m_values.insert(statusCaption);
    layout->addLayout(statusRow);

    m_reason = new QLabel;
    m_reason->setObjectName(QStringLiteral("statusReason"));
    m_reason->setWordWrap(true);
    m_reason->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_reason->setFocusPolicy(Qt::StrongFocus);
    m_reason->hide();
    layout->addWidget(m_reason);

    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    const auto group = [grid](const QString &title, int row, int column) {
        auto *box = new QGroupBox(title);
        auto *boxLayout = new QVBoxLayout(box);
        auto *form = new QFormLayout;
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        boxLayout->addLayout(form);
        grid->addWidget(box, row, column);
        return std::pair{form, boxLayout};
    };

    const QString driveGroup = tr("Drive");
    auto [driveForm, driveBox] = group(driveGroup, 0, 0);
    m_values.addRow(driveForm, QStringLiteral("driveModel"), tr("Model:"));
    m_values.addRow(driveForm, QStringLiteral("serialNumber"), tr("Serial Number:"));
    m_values.addRow(driveForm, QStringLiteral("capacity"), tr("Capacity:"));
    m_values.addRow(driveForm, QStringLiteral("powerOnHours"), tr("Power On Hours:"));
    m_values.addRow(driveForm, QStringLiteral("temperature"),
                    KZDriveSummary::temperatureCaption(false), QStringLiteral("temperatureText"));
    addButton(driveBox, QStringLiteral("driveInformationShowAll"), driveGroup, tr("More Info"));
    // The drive's history of checks, beside its information.
    auto *history = new QPushButton(tr("History..."));
    history->setObjectName(QStringLiteral("historyShowAll"));
    history->setAccessibleName(tr("%1: %2", "a button by its group").arg(driveGroup, history->text()));
    history->setEnabled(false);
    m_buttonRows.value(QStringLiteral("driveInformationShowAll"))->insertWidget(1, history);
    m_buttons.insert(history->objectName(), history);

    const QString attributesGroup = tr("Attributes");
    auto [attributesForm, attributesBox] = group(attributesGroup, 0, 1);
    m_values.addRow(attributesForm, QStringLiteral("pendingBadSectors"), tr("Pending Bad Sectors:"),
                    QStringLiteral("pendingBadSectorsText"));
    addTrendRow(attributesForm, QStringLiteral("pendingBadSectorsTrend"), tr("Pending Bad Sectors:"));
    m_values.addRow(attributesForm, QStringLiteral("removedBadSectors"), tr("Removed Bad Sectors:"),
                    QStringLiteral("removedBadSectorsText"));
    addTrendRow(attributesForm, QStringLiteral("removedBadSectorsTrend"), tr("Removed Bad Sectors:"));
    m_values.addRow(attributesForm, QStringLiteral("reallocatedBadSectors"),
                    tr("Reallocated Bad Sectors:"), QStringLiteral("reallocatedBadSectorsText"));
    addTrendRow(attributesForm, QStringLiteral("reallocatedBadSectorsTrend"),
                tr("Reallocated Bad Sectors:"));
    m_values.addRow(attributesForm, QStringLiteral("crcErrorCount"), tr("Interface CRC Errors:"));
    addTrendRow(attributesForm, QStringLiteral("crcErrorCountTrend"), tr("Interface CRC Errors:"));
    addButton(attributesBox, QStringLiteral("attributesShowAll"), attributesGroup, tr("Show All"));

    const QString errorsGroup = tr("Errors");
    auto [errorsForm, errorsBox] = group(errorsGroup, 1, 0);
    m_values.addRow(errorsForm, QStringLiteral("totalErrors"), tr("Total Errors:"),
                    QStringLiteral("totalErrorsText"));
    m_values.addRow(errorsForm, QStringLiteral("lastErrorType"), tr("Last Error Type:"));
    m_values.addRow(errorsForm, QStringLiteral("lastErrorTime"), tr("Last Error At (Hours):"));
    addButton(errorsBox, QStringLiteral("errorsShowAll"), errorsGroup, tr("Show All"));

    const QString testsGroup = tr("Self-Tests");
    auto [testsForm, testsBox] = group(testsGroup, 1, 1);
    m_values.addRow(testsForm, QStringLiteral("testCount"), tr("Tests Logged:"));
    m_values.addRow(testsForm, QStringLiteral("lastTestStatus"), tr("Last Test Status:"),
                    QStringLiteral("lastTestStatusText"));
    m_values.addRow(testsForm, QStringLiteral("lastTestTime"), tr("Last Test At (Hours):"));
    addButton(testsBox, QStringLiteral("testsMoreInfo"), testsGroup, tr("More Info"));

    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    layout->addStretch(1);

    connect(m_buttons.value(QStringLiteral("driveInformationShowAll")), &QPushButton::clicked, this,
            &KZSummaryPanel::showAllDriveInformation);
    connect(m_buttons.value(QStringLiteral("attributesShowAll")), &QPushButton::clicked, this,
            &KZSummaryPanel::showAllAttributes);
    connect(m_buttons.value(QStringLiteral("errorsShowAll")), &QPushButton::clicked, this,
            &KZSummaryPanel::showAllErrors);
    connect(m_buttons.value(QStringLiteral("testsMoreInfo")), &QPushButton::clicked, this,
            &KZSummaryPanel::moreInfoTests);
    connect(history, &QPushButton::clicked, this, &KZSummaryPanel::showHistory);
}

void KZSummaryPanel::addTrendRow(QFormLayout *form, const QString &name,
                                 const QString &countCaption)
{
    auto *field = new QLineEdit;
    field->setObjectName(name);
    KZValueFields::makeFlat(field);
    QString count = countCaption;
    if (count.endsWith(QLatin1Char(':')))
        count.chop(1);
    field->setAccessibleName(tr("%1, change in 30 days").arg(count));
    form->addRow(QString(), field);
    form->setRowVisible(field, false);
    m_values.insert(field);
    m_trendForms.insert(name, form);
}

void KZSummaryPanel::setTrend(const QString &name, const KZSummaryValue &value)
{
    QLineEdit *field = m_values.field(name);
    m_values.setText(name, value.text);
    KZDriveColours::applyTone(field, value.tone);
    m_trendForms.value(name)->setRowVisible(field, !value.text.isEmpty());
}

QPushButton *KZSummaryPanel::addButton(QVBoxLayout *box, const QString &name, const QString &group,
                                       const QString &title)
{
    auto *button = new QPushButton(title);
    button->setObjectName(name);
    button->setAccessibleName(tr("%1: %2", "a button by its group").arg(group, title));
    button->setEnabled(false);
    box->addStretch(1);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(button);
    box->addLayout(row);
    m_buttons.insert(name, button);
    m_buttonRows.insert(name, row);
    return button;
}

QLineEdit *KZSummaryPanel::field(const QString &name) const
{
    return m_values.field(name);
}

QLabel *KZSummaryPanel::caption(const QString &name) const
{
    return m_values.caption(name);
}

QPushButton *KZSummaryPanel::button(const QString &name) const
{
    return m_buttons.value(name);
}

void KZSummaryPanel::setJudgedValue(const QString &name, const QString &captionName,
                                    const KZSummaryValue &value)
{
    m_values.setText(name, value.text);
    KZDriveColours::applyTone(m_values.field(name), value.tone);
    KZDriveColours::applyTone(m_values.caption(captionName), value.tone);
}

void KZSummaryPanel::setButton(const QString &name, const QString &group,
                               const KZSummaryButton &state)
{
    QPushButton *button = m_buttons.value(name);
    button->setEnabled(state.enabled);
    button->setText(state.title);
    button->setAccessibleName(tr("%1: %2", "a button by its group").arg(group, state.title));
    if (state.tone)
        KZDriveColours::applyTone(button, *state.tone);
}

void KZSummaryPanel::showSummary(const KZDriveSummaryContent &content)
{
    if (content.temperatureCaption)
        m_values.caption(QStringLiteral("temperatureText"))->setText(*content.temperatureCaption);
    m_values.setText(QStringLiteral("driveModel"), content.model);
    m_values.setText(QStringLiteral("serialNumber"), content.serialNumber);
    m_values.setText(QStringLiteral("capacity"), content.capacity);
    m_values.setText(QStringLiteral("powerOnHours"), content.powerOnHours);
    m_values.setText(QStringLiteral("temperature"), content.temperature);
    setJudgedValue(QStringLiteral("pendingBadSectors"), QStringLiteral("pendingBadSectorsText"),
                   content.pendingBadSectors);
    setJudgedValue(QStringLiteral("removedBadSectors"), QStringLiteral("removedBadSectorsText"),
                   content.removedBadSectors);
    setJudgedValue(QStringLiteral("reallocatedBadSectors"),
                   QStringLiteral("reallocatedBadSectorsText"), content.reallocatedBadSectors);
    m_values.setText(QStringLiteral("crcErrorCount"), content.crcErrorCount);
    setTrend(QStringLiteral("pendingBadSectorsTrend"), content.pendingTrend);
    setTrend(QStringLiteral("removedBadSectorsTrend"), content.removedTrend);
    setTrend(QStringLiteral("reallocatedBadSectorsTrend"), content.reallocatedTrend);
    setTrend(QStringLiteral("crcErrorCountTrend"), content.crcTrend);
    setJudgedValue(QStringLiteral("totalErrors"), QStringLiteral("totalErrorsText"),
                   content.totalErrors);
    m_values.setText(QStringLiteral("lastErrorType"), content.lastErrorType);
    m_values.setText(QStringLiteral("lastErrorTime"), content.lastErrorTime);
    m_values.setText(QStringLiteral("testCount"), content.testCount);
    // Only the value of the last test status turns red, not its caption.
    m_values.setText(QStringLiteral("lastTestStatus"), content.lastTestStatus.text);
    KZDriveColours::applyTone(m_values.field(QStringLiteral("lastTestStatus")),
                              content.lastTestStatus.tone);
    m_values.setText(QStringLiteral("lastTestTime"), content.lastTestTime);

    m_status->setText(content.status);
    QPalette palette = m_status->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base,
                         KZDriveColours::statusBackground(content.statusStyle));
        palette.setColor(group, QPalette::Window,
                         KZDriveColours::statusBackground(content.statusStyle));
        palette.setColor(group, QPalette::Text, KZDriveColours::statusText(content.statusStyle));
    }
    m_status->setPalette(palette);
    m_status->setToolTip(content.statusReason);
    m_status->setAccessibleDescription(content.statusReason);
    m_reason->setText(content.statusReason);
    m_reason->setVisible(!content.statusReason.isEmpty());

    setButton(QStringLiteral("driveInformationShowAll"), tr("Drive"), content.driveInformation);
    setButton(QStringLiteral("attributesShowAll"), tr("Attributes"), content.attributes);
    setButton(QStringLiteral("errorsShowAll"), tr("Errors"), content.errors);
    setButton(QStringLiteral("testsMoreInfo"), tr("Self-Tests"), content.tests);
    if (!content.history.title.isEmpty())
        setButton(QStringLiteral("historyShowAll"), tr("Drive"), content.history);
    else
        m_buttons.value(QStringLiteral("historyShowAll"))->setEnabled(false);
    Q_EMIT summaryShown();
}
