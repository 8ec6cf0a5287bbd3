#include "KZOptionsWindow.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

KZOptionsWindow::KZOptionsWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("optionsWindow"));
    setWindowTitle(tr("Run smartctl with Options"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(tr("Runs smartctl with these options on the chosen drive. "
                                "Its output is written to the log (Window > Log)."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    m_options = new QLineEdit(this);
    m_options->setObjectName(QStringLiteral("optionsText"));
    m_options->setPlaceholderText(QStringLiteral("-x"));
    m_options->setAccessibleName(tr("smartctl options"));
    form->addRow(tr("smartctl options:"), m_options);
    m_drives = new QComboBox(this);
    m_drives->setObjectName(QStringLiteral("drivesPopup"));
    m_drives->setAccessibleName(tr("Drive"));
    form->addRow(tr("Drive:"), m_drives);
    layout->addLayout(form);
    auto *buttons = new QDialogButtonBox(this);
    m_cancel = buttons->addButton(QDialogButtonBox::Cancel);
    m_run = buttons->addButton(tr("Run"), QDialogButtonBox::AcceptRole);
    m_run->setDefault(true);
    layout->addWidget(buttons);
    connect(m_run, &QPushButton::clicked, this, &KZOptionsWindow::runClicked);
    connect(m_options, &QLineEdit::returnPressed, this, &KZOptionsWindow::runClicked);
    connect(m_cancel, &QPushButton::clicked, this, &KZOptionsWindow::cancelClicked);
    resize(480, 160);
}
