#include "KZTestEmailSheet.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

KZTestEmailSheet::KZTestEmailSheet(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("emailTestSendSheet"));
    setWindowTitle(tr("Test E-mail"));
    setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    m_message = new QLabel(tr("Sending a test e-mail with your settings..."), this);
    layout->addWidget(m_message);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 0);
    m_bar->setTextVisible(false);
    m_bar->setMinimumWidth(340);
    m_bar->setAccessibleName(m_message->text());
    layout->addWidget(m_bar);
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("emailTestSendErrorMessage"));
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_result);
    auto *buttons = new QDialogButtonBox(this);
    m_cancel = buttons->addButton(QDialogButtonBox::Cancel);
    m_ok = buttons->addButton(QDialogButtonBox::Ok);
    layout->addWidget(buttons);
    connect(m_cancel, &QPushButton::clicked, this, &KZTestEmailSheet::cancelClicked);
    connect(m_ok, &QPushButton::clicked, this, &KZTestEmailSheet::okClicked);
}

void KZTestEmailSheet::begin()
{
    m_result->clear();
    m_result->hide();
    m_ok->hide();
    m_bar->setRange(0, 0);
    m_bar->show();
    m_cancel->setEnabled(true);
    m_cancel->setDefault(true);
}

void KZTestEmailSheet::showResult(const QString &text)
{
    m_result->setText(text);
    m_result->setAccessibleName(text);
    m_result->show();
    m_ok->show();
    m_ok->setDefault(true);
    m_bar->setRange(0, 1);
    m_bar->hide();
    m_cancel->setEnabled(false);
}
