#include "KZSummaryPanel.h"

#include "KZDriveColours.h"
#include "KZLocalization.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString text(const char *key, const char *english)
{
    return KZLocalization::localizedString(QString::fromLatin1(key), QString::fromUtf8(english));
}

// A value field that reads like text on the window: no frame, the window's
// background, selectable.
void makeFlat(QLineEdit *field)
{
    field->setReadOnly(true);
    field->setFrame(false);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    field->setPalette(palette);
}

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
    auto *statusCaption = new QLabel(text("SummaryStatus", "Overall Status:"));
    statusCaption->setObjectName(QStringLiteral("overallSMARTStatusText"));
    statusCaption->setBuddy(m_status);
    statusRow->addWidget(statusCaption, 0, Qt::AlignVCenter);
    statusRow->addWidget(m_status, 1);
    m_fields.insert(m_status->objectName(), m_status);
    m_captions.insert(statusCaption->objectName(), statusCaption);
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

    const QString driveGroup = text("SummaryDriveGroup", "Drive");
    auto [driveForm, driveBox] = group(driveGroup, 0, 0);
    addField(driveForm, QStringLiteral("driveModel"), {}, text("SummaryModel", "Model:"));
    addField(driveForm, QStringLiteral("serialNumber"), {},
             text("SummarySerialNumber", "Serial Number:"));
    addField(driveForm, QStringLiteral("capacity"), {}, text("SummaryCapacity", "Capacity:"));
    addField(driveForm, QStringLiteral("powerOnHours"), {},
             text("SummaryPowerOnHours", "Power On Hours:"));
    addField(driveForm, QStringLiteral("temperature"), QStringLiteral("temperatureText"),
             text("TempCel", "Temperature (Celsius):"));
    addButton(driveBox, QStringLiteral("driveInformationShowAll"), driveGroup,
              text("MoreInfo", "More Info"));

    const QString attributesGroup = text("SummaryAttributesGroup", "Attributes");
    auto [attributesForm, attributesBox] = group(attributesGroup, 0, 1);
    addField(attributesForm, QStringLiteral("pendingBadSectors"),
             QStringLiteral("pendingBadSectorsText"),
             text("SummaryPendingBadSectors", "Pending Bad Sectors:"));
    addField(attributesForm, QStringLiteral("removedBadSectors"),
             QStringLiteral("removedBadSectorsText"),
             text("SummaryRemovedBadSectors", "Removed Bad Sectors:"));
    addField(attributesForm, QStringLiteral("reallocatedBadSectors"),
             QStringLiteral("reallocatedBadSectorsText"),
             text("SummaryReallocatedBadSectors", "Reallocated Bad Sectors:"));
    addField(attributesForm, QStringLiteral("crcErrorCount"), {},
             text("SummaryCRCErrorCount", "Interface CRC Errors:"));
    addButton(attributesBox, QStringLiteral("attributesShowAll"), attributesGroup,
              text("ShowAll", "Show All"));

    const QString errorsGroup = text("SummaryErrorsGroup", "Errors");
    auto [errorsForm, errorsBox] = group(errorsGroup, 1, 0);
    addField(errorsForm, QStringLiteral("totalErrors"), QStringLiteral("totalErrorsText"),
             text("SummaryTotalErrors", "Total Errors:"));
    addField(errorsForm, QStringLiteral("lastErrorType"), {},
             text("SummaryLastErrorType", "Last Error Type:"));
    addField(errorsForm, QStringLiteral("lastErrorTime"), {},
             text("SummaryLastErrorTime", "Last Error At (Hours):"));
    addButton(errorsBox, QStringLiteral("errorsShowAll"), errorsGroup, text("ShowAll", "Show All"));

    const QString testsGroup = text("SummaryTestsGroup", "Self-Tests");
    auto [testsForm, testsBox] = group(testsGroup, 1, 1);
    addField(testsForm, QStringLiteral("testCount"), {}, text("SummaryTestCount", "Tests Logged:"));
    addField(testsForm, QStringLiteral("lastTestStatus"), QStringLiteral("lastTestStatusText"),
             text("SummaryLastTestStatus", "Last Test Status:"));
    addField(testsForm, QStringLiteral("lastTestTime"), {},
             text("SummaryLastTestTime", "Last Test At (Hours):"));
    addButton(testsBox, QStringLiteral("testsMoreInfo"), testsGroup, text("MoreInfo", "More Info"));

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
}

QLineEdit *KZSummaryPanel::addField(QFormLayout *form, const QString &name,
                                    const QString &captionName, const QString &captionText)
{
    auto *field = new QLineEdit(QStringLiteral("-"));
    field->setObjectName(name);
    makeFlat(field);
    auto *label = new QLabel(captionText);
    label->setObjectName(captionName.isEmpty() ? name + QStringLiteral("Text") : captionName);
    label->setBuddy(field);
    form->addRow(label, field);
    m_fields.insert(name, field);
    m_captions.insert(label->objectName(), label);
    return field;
}

QPushButton *KZSummaryPanel::addButton(QVBoxLayout *box, const QString &name, const QString &group,
                                       const QString &title)
{
    auto *button = new QPushButton(title);
    button->setObjectName(name);
    button->setAccessibleName(group + QStringLiteral(": ") + title);
    button->setEnabled(false);
    box->addStretch(1);
    box->addWidget(button, 0, Qt::AlignRight);
    m_buttons.insert(name, button);
    return button;
}

QLineEdit *KZSummaryPanel::field(const QString &name) const
{
    return m_fields.value(name);
}

QLabel *KZSummaryPanel::caption(const QString &name) const
{
    return m_captions.value(name);
}

QPushButton *KZSummaryPanel::button(const QString &name) const
{
    return m_buttons.value(name);
}

void KZSummaryPanel::setValue(const QString &name, const QString &value)
{
    QLineEdit *edit = m_fields.value(name);
    edit->setText(value);
    edit->setCursorPosition(0);
}

void KZSummaryPanel::setJudgedValue(const QString &name, const QString &captionName,
                                    const KZSummaryValue &value)
{
    setValue(name, value.text);
    KZDriveColours::applyTone(m_fields.value(name), value.tone);
    KZDriveColours::applyTone(m_captions.value(captionName), value.tone);
}

void KZSummaryPanel::setButton(const QString &name, const QString &group,
                               const KZSummaryButton &state)
{
    QPushButton *button = m_buttons.value(name);
    button->setEnabled(state.enabled);
    button->setText(state.title);
    button->setAccessibleName(group + QStringLiteral(": ") + state.title);
    if (state.tone)
        KZDriveColours::applyTone(button, *state.tone);
}

void KZSummaryPanel::showSummary(const KZDriveSummaryContent &content)
{
    if (content.temperatureCaption)
        m_captions.value(QStringLiteral("temperatureText"))->setText(*content.temperatureCaption);
    setValue(QStringLiteral("driveModel"), content.model);
    setValue(QStringLiteral("serialNumber"), content.serialNumber);
    setValue(QStringLiteral("capacity"), content.capacity);
    setValue(QStringLiteral("powerOnHours"), content.powerOnHours);
    setValue(QStringLiteral("temperature"), content.temperature);
    setJudgedValue(QStringLiteral("pendingBadSectors"), QStringLiteral("pendingBadSectorsText"),
                   content.pendingBadSectors);
    setJudgedValue(QStringLiteral("removedBadSectors"), QStringLiteral("removedBadSectorsText"),
                   content.removedBadSectors);
    setJudgedValue(QStringLiteral("reallocatedBadSectors"),
                   QStringLiteral("reallocatedBadSectorsText"), content.reallocatedBadSectors);
    setValue(QStringLiteral("crcErrorCount"), content.crcErrorCount);
    setJudgedValue(QStringLiteral("totalErrors"), QStringLiteral("totalErrorsText"),
                   content.totalErrors);
    setValue(QStringLiteral("lastErrorType"), content.lastErrorType);
    setValue(QStringLiteral("lastErrorTime"), content.lastErrorTime);
    setValue(QStringLiteral("testCount"), content.testCount);
    // Only the value of the last test status turns red, not its caption.
    setValue(QStringLiteral("lastTestStatus"), content.lastTestStatus.text);
    KZDriveColours::applyTone(m_fields.value(QStringLiteral("lastTestStatus")),
                              content.lastTestStatus.tone);
    setValue(QStringLiteral("lastTestTime"), content.lastTestTime);

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

    setButton(QStringLiteral("driveInformationShowAll"), text("SummaryDriveGroup", "Drive"),
              content.driveInformation);
    setButton(QStringLiteral("attributesShowAll"), text("SummaryAttributesGroup", "Attributes"),
              content.attributes);
    setButton(QStringLiteral("errorsShowAll"), text("SummaryErrorsGroup", "Errors"),
              content.errors);
    setButton(QStringLiteral("testsMoreInfo"), text("SummaryTestsGroup", "Self-Tests"),
              content.tests);
    Q_EMIT summaryShown();
}
