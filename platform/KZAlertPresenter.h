#pragma once

#include <QString>
#include <QStringList>

// How modal alerts reach the user. The GUI installs a presenter that shows a
// message box; without one (command-line programs) an alert becomes a log
// line. The answer is the index of the button pressed, in the order given.
class KZAlertPresenter
{
public:
    enum class Style
    {
        Informational,
        Critical
    };

    virtual ~KZAlertPresenter() = default;
    virtual int runAlert(Style style, const QString &title, const QString &text,
                         const QStringList &buttons) = 0;

    // The presenter in use; never null (the logging presenter by default).
    static KZAlertPresenter &current();
    // Installs a presenter (not owned); null restores the logging presenter.
    static void setCurrent(KZAlertPresenter *presenter);

    // Shows a critical alert with a single "OK" button.
    static void showCritical(const QString &title, const QString &text);
};

// Command-line mode: writes the alert to the log and answers with the first button.
class KZLogAlertPresenter : public KZAlertPresenter
{
public:
    int runAlert(Style style, const QString &title, const QString &text,
                 const QStringList &buttons) override;
};
