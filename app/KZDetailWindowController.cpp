#include "KZDetailWindowController.h"

#include <QKeySequence>
#include <QShortcut>

KZDetailWindowController::KZDetailWindowController(QWidget *parent) : QWidget(parent, Qt::Window)
{
    // Ctrl+W and Escape close the window, as in every desktop window.
    for (const QKeySequence &keys :
         {QKeySequence(QKeySequence::Close), QKeySequence(Qt::Key_Escape)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
}

void KZDetailWindowController::showWindow()
{
    show();
    raise();
    activateWindow();
}
