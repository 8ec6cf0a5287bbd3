#include "KZDriveInfoController.h"

#include "KZDetailRows.h"
#include "KZDriveColours.h"
#include "KZLocalization.h"
#include "KZSMARTDrive.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QString text(const char *key, const char *english)
{
    return KZLocalization::localizedString(QString::fromLatin1(key), QString::fromUtf8(english));
}

using Group = KZDetailRows::CapabilityGroup;

} // namespace

KZDriveInfoController::KZDriveInfoController(QWidget *parent) : KZDetailWindowController(parent)
{
    setObjectName(QStringLiteral("driveInfoWindow"));
    // Two columns: identity, S.M.A.R.T. data and logging on the left;
    // offline data collection and self-tests on the right.
    auto *layout = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);

    auto *identityBox = new QGroupBox(text("InfoIdentity", "Identity"));
    auto *identity = new QFormLayout(identityBox);
    addRow(identity, QStringLiteral("modelFamily"), text("InfoModelFamily", "Model Family:"));
    addRow(identity, QStringLiteral("driveModel"), text("InfoModel", "Model:"));
    addRow(identity, QStringLiteral("serialNumber"), text("InfoSerialNumber", "Serial Number:"));
    addRow(identity, QStringLiteral("firmwareVersion"), text("InfoFirmware", "Firmware Version:"));
    addRow(identity, QStringLiteral("capacity"), text("InfoCapacity", "Capacity:"));
    m_versionCaption = text("ATAVersion", "ATA Version:");
    addRow(identity, QStringLiteral("ataVersion"), m_versionCaption,
           QStringLiteral("ataVersionText"));
    addRow(identity, QStringLiteral("rotationRate"), text("InfoRotationRate", "Rotation Rate:"));
    left->addWidget(identityBox);

    QMap<Group, QGroupBox *> boxes;
    const auto box = [&](Group group, const QString &title, QVBoxLayout *column) {
        auto *groupBox = new QGroupBox(title);
        new QVBoxLayout(groupBox);
        column->addWidget(groupBox);
        boxes.insert(group, groupBox);
    };
    box(Group::SMARTData, text("InfoSMARTData", "S.M.A.R.T. Data"), left);
    box(Group::Logging, text("InfoLogging", "Logging"), left);
    box(Group::OfflineDataCollection, text("InfoOfflineDataCollection", "Offline Data Collection"),
        right);
    box(Group::SelfTests, text("InfoSelfTests", "Self-Tests"), right);

    // The check boxes come in the order the rows give them.
    for (const KZDetailRows::Capability &capability :
         KZDetailRows::driveInfo(KZSMARTDrive()).capabilities) {
        auto *check = new QCheckBox(capability.label);
        check->setObjectName(capability.name);
        // Display only: the drive's capabilities are not the user's to change.
        check->setAttribute(Qt::WA_TransparentForMouseEvents);
        check->setFocusPolicy(Qt::NoFocus);
        connect(check, &QCheckBox::clicked, check, [check](bool on) { check->setChecked(!on); });
        boxes.value(capability.group)->layout()->addWidget(check);
        m_checkBoxes.insert(capability.name, check);
    }

    auto *offline = new QFormLayout;
    addRow(offline, QStringLiteral("offlineDataCollectionActivity"),
           text("InfoOfflineActivity", "Last Collection:"));
    addRow(offline, QStringLiteral("offlineDataCollectionTime"),
           text("InfoOfflineTime", "Collection Time:"));
    static_cast<QVBoxLayout *>(boxes.value(Group::OfflineDataCollection)->layout())
        ->addLayout(offline);

    auto *tests = new QFormLayout;
    tests->setRowWrapPolicy(QFormLayout::WrapLongRows);
    addRow(tests, QStringLiteral("shortSelfTestTime"), text("InfoShortTest", "Short Test:"));
    addRow(tests, QStringLiteral("extendedSelfTestTime"),
           text("InfoExtendedTest", "Extended Test:"));
    addRow(tests, QStringLiteral("conveyanceSelfTestTime"),
           text("InfoConveyanceTest", "Conveyance Test:"));
    static_cast<QVBoxLayout *>(boxes.value(Group::SelfTests)->layout())->addLayout(tests);

    // The self-test status is a sentence: a caption above a wrapped text.
    auto *statusLayout = static_cast<QVBoxLayout *>(boxes.value(Group::SelfTests)->layout());
    auto *statusCaption = new QLabel(text("InfoSelfTestExecution", "Last self-test:"));
    statusCaption->setObjectName(QStringLiteral("selfTestExecutionText"));
    auto *status = new QLabel(QStringLiteral("-"));
    status->setObjectName(QStringLiteral("selfTestExecution"));
    status->setWordWrap(true);
    status->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    status->setFocusPolicy(Qt::StrongFocus);
    statusCaption->setBuddy(status);
    statusLayout->addWidget(statusCaption);
    statusLayout->addWidget(status);
    m_captions.insert(statusCaption->objectName(), statusCaption);
    m_captions.insert(status->objectName(), status);
    left->addStretch(1);
    right->addStretch(1);

    resize(880, 500);
}

QLineEdit *KZDriveInfoController::addRow(QFormLayout *form, const QString &name,
                                         const QString &caption, const QString &captionName)
{
    auto *field = new QLineEdit(QStringLiteral("-"));
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setFrame(false);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    field->setPalette(palette);
    auto *label = new QLabel(caption);
    label->setObjectName(captionName.isEmpty() ? name + QStringLiteral("Text") : captionName);
    label->setBuddy(field);
    form->addRow(label, field);
    m_fields.insert(name, field);
    m_captions.insert(label->objectName(), label);
    return field;
}

void KZDriveInfoController::updateWindow()
{
    if (!m_drive)
        return;
    const KZDetailRows::DriveInfo info = KZDetailRows::driveInfo(*m_drive);
    setWindowTitle(info.title);
    const auto set = [this](const char *name, const QString &value) {
        QLineEdit *field = m_fields.value(QString::fromLatin1(name));
        field->setText(value);
        field->setCursorPosition(0);
    };
    set("modelFamily", info.modelFamily);
    set("driveModel", info.model);
    set("serialNumber", info.serialNumber);
    set("firmwareVersion", info.firmwareVersion);
    set("capacity", info.capacity);
    m_captions.value(QStringLiteral("ataVersionText"))
        ->setText(info.versionCaption.value_or(m_versionCaption));
    set("ataVersion", info.version);
    set("rotationRate", info.rotationRate);
    for (const KZDetailRows::Capability &capability : info.capabilities)
        m_checkBoxes.value(capability.name)->setChecked(capability.on);
    set("offlineDataCollectionActivity", info.offlineDataCollectionActivity);
    set("offlineDataCollectionTime", info.offlineDataCollectionTime);
    QLabel *status = m_captions.value(QStringLiteral("selfTestExecution"));
    status->setText(info.selfTestExecution);
    KZDriveColours::applyTone(status, info.selfTestExecutionTone);
    KZDriveColours::applyTone(m_captions.value(QStringLiteral("selfTestExecutionText")),
                              info.selfTestExecutionTone);
    set("shortSelfTestTime", info.shortSelfTestTime);
    set("extendedSelfTestTime", info.extendedSelfTestTime);
    set("conveyanceSelfTestTime", info.conveyanceSelfTestTime);
}
