#pragma once

#include "KZAlertPresenter.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class QMessageBox;

// The windowed programs' alert presenter: every alert is a QMessageBox shown
// on the GUI thread. Called from another thread (a scan or update on its
// worker), it blocks that thread on a queued call to the GUI thread until the
// user has answered, so engine code can ask its questions from anywhere.
class KZMessageBoxAlertPresenter : public KZAlertPresenter
{
public:
    // Instead of running the box, tests answer it: the hook gets the box,
    // fully built (title, texts, icon, buttons in the order given), on the GUI
    // thread, and returns the index of the button "pressed".
    using PreAnswer = std::function<int(QMessageBox &box)>;

    KZMessageBoxAlertPresenter() = default;

    int runAlert(Style style, const QString &title, const QString &text,
                 const QStringList &buttons) override;

    // The window the boxes are modal to (none: application-modal).
    void setParentWindow(QWidget *window) { m_parent = window; }
    void setPreAnswer(PreAnswer answer) { m_preAnswer = std::move(answer); }

private:
    int present(Style style, const QString &title, const QString &text, const QStringList &buttons);

    QPointer<QWidget> m_parent;
    PreAnswer m_preAnswer;
};
