#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// The log window: the whole log file in a fixed-width font, and Clear.
class KZLogWindow : public QWidget
{
    Q_OBJECT

public:
    explicit KZLogWindow(QWidget *parent);

    QPlainTextEdit *logText() const { return m_text; }
    QPushButton *clearButton() const { return m_clear; }
    // Replaces the text shown, keeping the view at the end when it was there.
    void showText(const QString &text);

private:
    QPlainTextEdit *m_text = nullptr;
    QPushButton *m_clear = nullptr;
};
