#include "KZLogWindow.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

KZLogWindow::KZLogWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("logWindow"));
    setWindowTitle(tr("Tarnwell Log"));
    auto *layout = new QVBoxLayout(this);
    auto *caption = new QLabel(tr("Log:"), this);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("logText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setAccessibleName(tr("Log"));
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(12);
    m_text->setFont(font);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Base, Qt::white);
    m_text->setPalette(palette);
    caption->setBuddy(m_text);
    layout->addWidget(caption);
    layout->addWidget(m_text, 1);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    m_clear = new QPushButton(tr("Clear"), this);
    m_clear->setToolTip(tr("Empty the log file"));
    row->addWidget(m_clear);
    layout->addLayout(row);
    resize(820, 520);
}

void KZLogWindow::showText(const QString &text)
{
    QScrollBar *bar = m_text->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    m_text->setPlainText(text);
    if (atEnd)
        bar->setValue(bar->maximum());
}
