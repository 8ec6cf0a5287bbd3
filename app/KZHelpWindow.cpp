#include "KZHelpWindow.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QToolButton *toolButton(const QString &text, QStyle::StandardPixmap icon, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(text);
    button->setAccessibleName(text);
    button->setToolTip(text);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
}
} // namespace

KZHelpWindow::KZHelpWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(tr("Tarnwell Help"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    auto *bar = new QHBoxLayout;
    m_back = toolButton(tr("Back"), QStyle::SP_ArrowBack, this);
    m_forward = toolButton(tr("Forward"), QStyle::SP_ArrowForward, this);
    m_home = toolButton(tr("Contents"), QStyle::SP_DirHomeIcon, this);
    m_back->setShortcut(QKeySequence::Back);
    m_forward->setShortcut(QKeySequence::Forward);
    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    bar->addWidget(m_back);
    bar->addWidget(m_forward);
    bar->addWidget(m_home);
    bar->addStretch(1);
    layout->addLayout(bar);
    m_view = new QTextBrowser(this);
    m_view->setObjectName(QStringLiteral("helpView"));
    m_view->setAccessibleName(tr("Help page"));
    m_view->setOpenLinks(true);
    // Pages of the help itself open here; web addresses in the browser.
    m_view->setOpenExternalLinks(true);
    layout->addWidget(m_view, 1);
    connect(m_back, &QToolButton::clicked, m_view, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_view, &QTextBrowser::forward);
    connect(m_home, &QToolButton::clicked, this, &KZHelpWindow::homeRequested);
    connect(m_view, &QTextBrowser::backwardAvailable, m_back, &QToolButton::setEnabled);
    connect(m_view, &QTextBrowser::forwardAvailable, m_forward, &QToolButton::setEnabled);
    resize(720, 620);
}

void KZHelpWindow::load(const QUrl &page)
{
    m_view->setSource(page);
}
