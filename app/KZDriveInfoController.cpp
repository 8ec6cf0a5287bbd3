#include "KZDriveInfoController.h"

#include "KZDetailRows.h"
#include "KZDriveColours.h"
#include "KZSMARTDrive.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

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

    auto *identityBox = new QGroupBox(tr("Identity"));
    auto *identity = new QFormLayout(identityBox);
    m_values.addRow(identity, QStringLiteral("modelFamily"), tr("Model Family:"));
    m_values.addRow(identity, QStringLiteral("driveModel"), tr("Model:"));
    m_values.addRow(identity, QStringLiteral("serialNumber"), tr("Serial Number:"));
    m_values.addRow(identity, QStringLiteral("firmwareVersion"), tr("Firmware Version:"));
    m_values.addRow(identity, QStringLiteral("capacity"), tr("Capacity:"));
    m_versionCaption = tr("ATA Version:");
    m_values.addRow(identity, QStringLiteral("ataVersion"), m_versionCaption,
                    QStringLiteral("ataVersionText"));
    m_values.addRow(identity, QStringLiteral("rotationRate"), tr("Rotation Rate:"));
    left->addWidget(identityBox);

    QMap<Group, QGroupBox *> boxes;
    const auto box = [&](Group group, const QString &title, QVBoxLayout *column) {
        auto *groupBox = new QGroupBox(title);
        new QVBoxLayout(groupBox);
        column->addWidget(groupBox);
        boxes.insert(group, groupBox);
    };
    box(Group::SMARTData, tr("S.M.A.R.T. Data"), left);
    box(Group::Logging, tr("Logging"), left);
    box(Group::OfflineDataCollection, tr("Offline Data Collection"), right);
    box(Group::SelfTests, tr("Self-Tests"), right);

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
    m_values.addRow(offline, QStringLiteral("offlineDataCollectionActivity"),
                    tr("Last Collection:"));
    m_values.addRow(offline, QStringLiteral("offlineDataCollectionTime"), tr("Collection Time:"));
    static_cast<QVBoxLayout *>(boxes.value(Group::OfflineDataCollection)->layout())
        ->addLayout(offline);

    auto *tests = new QFormLayout;
    tests->setRowWrapPolicy(QFormLayout::WrapLongRows);
    m_values.addRow(tests, QStringLiteral("shortSelfTestTime"), tr("Short Test:"));
    m_values.addRow(tests, QStringLiteral("extendedSelfTestTime"), tr("Extended Test:"));
    m_values.addRow(tests, QStringLiteral("conveyanceSelfTestTime"), tr("Conveyance Test:"));
    static_cast<QVBoxLayout *>(boxes.value(Group::SelfTests)->layout())->addLayout(tests);

    // The self-test status is a sentence: a caption above a wrapped text.
    auto *statusLayout = static_cast<QVBoxLayout *>(boxes.value(Group::SelfTests)->layout());
    auto *statusCaption = new QLabel(tr("Last self-test:"));
    statusCaption->setObjectName(QStringLiteral("selfTestExecutionText"));
    auto *status = new QLabel(QStringLiteral("-"));
    status->setObjectName(QStringLiteral("selfTestExecution"));
    status->setWordWrap(true);
    status->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    status->setFocusPolicy(Qt::StrongFocus);
    statusCaption->setBuddy(status);
    statusLayout->addWidget(statusCaption);
    statusLayout->addWidget(status);
    m_values.insert(statusCaption);
    m_values.insert(status);
    left->addStretch(1);
    right->addStretch(1);

    resize(880, 500);
}

void KZDriveInfoController::updateWindow()
{
    if (!m_drive)
        return;
    const KZDetailRows::DriveInfo info = KZDetailRows::driveInfo(*m_drive);
    setWindowTitle(info.title);
    const auto set = [this](const char *name, const QString &value) {
        m_values.setText(QString::fromLatin1(name), value);
    };
    set("modelFamily", info.modelFamily);
    set("driveModel", info.model);
    set("serialNumber", info.serialNumber);
    set("firmwareVersion", info.firmwareVersion);
    set("capacity", info.capacity);
    m_values.caption(QStringLiteral("ataVersionText"))
        ->setText(info.versionCaption.value_or(m_versionCaption));
    set("ataVersion", info.version);
    set("rotationRate", info.rotationRate);
    for (const KZDetailRows::Capability &capability : info.capabilities)
        m_checkBoxes.value(capability.name)->setChecked(capability.on);
    set("offlineDataCollectionActivity", info.offlineDataCollectionActivity);
    set("offlineDataCollectionTime", info.offlineDataCollectionTime);
    QLabel *status = m_values.caption(QStringLiteral("selfTestExecution"));
    status->setText(info.selfTestExecution);
    KZDriveColours::applyTone(status, info.selfTestExecutionTone);
    KZDriveColours::applyTone(m_values.caption(QStringLiteral("selfTestExecutionText")),
                              info.selfTestExecutionTone);
    set("shortSelfTestTime", info.shortSelfTestTime);
    set("extendedSelfTestTime", info.extendedSelfTestTime);
    set("conveyanceSelfTestTime", info.conveyanceSelfTestTime);
}
