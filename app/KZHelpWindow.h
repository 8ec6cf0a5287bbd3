#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

// The help window: the HTML help pages with back, forward and home.
class KZHelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit KZHelpWindow(QWidget *parent);

    QTextBrowser *helpView() const { return m_view; }
    QToolButton *helpBackButton() const { return m_back; }
    QToolButton *helpForwardButton() const { return m_forward; }
    QToolButton *helpHomeButton() const { return m_home; }
    void load(const QUrl &page);

Q_SIGNALS:
    void homeRequested();

private:
    QTextBrowser *m_view = nullptr;
    QToolButton *m_back = nullptr;
    QToolButton *m_forward = nullptr;
    QToolButton *m_home = nullptr;
};
