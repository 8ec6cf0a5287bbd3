#include "KZProgressSheet.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

KZProgressSheet::KZProgressSheet(const QString &message, bool indeterminate, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_indeterminate(indeterminate)
{
    setWindowTitle(QStringLiteral("Tarnwell"));
    setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 18);
    layout->setSpacing(10);
    m_label = new QLabel(message, this);
    m_bar = new QProgressBar(this);
    m_bar->setMinimumWidth(320);
    m_bar->setTextVisible(!indeterminate);
    m_bar->setAccessibleName(message);
    m_label->setBuddy(m_bar);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    if (indeterminate)
        m_bar->setRange(0, 0);
    else
        m_bar->setRange(0, 100);
}

void KZProgressSheet::setMessage(const QString &message)
{
    m_label->setText(message);
    m_bar->setAccessibleName(message);
}

void KZProgressSheet::begin()
{
    if (!m_indeterminate)
        m_bar->setValue(0);
    show();
    raise();
}

void KZProgressSheet::end()
{
    hide();
}

void KZProgressSheet::closeEvent(QCloseEvent *event)
{
    // The user cannot close the sheet; quitting the application can.
    if (event->spontaneous())
        event->ignore();
}
