#pragma once

#include "KZDriveSummary.h"

#include <QColor>
#include <QVariant>

class QWidget;

// The colours the drive windows draw judgements in.
namespace KZDriveColours {

// The red of a value judged bad.
QColor alertColor();
// The text colour for a tone: red, or the palette's own text colour.
QColor toneColor(KZTone tone, const QWidget *widget);
// For a model's Qt::ForegroundRole: a red brush, or nothing (the view's own colour).
QVariant foreground(KZTone tone);

// The overall status field's background and text colours.
QColor statusBackground(KZStatusStyle style);
QColor statusText(KZStatusStyle style);

// Gives a label, field or button the text colour of a tone, keeping every
// other colour of its palette.
void applyTone(QWidget *widget, KZTone tone);

} // namespace KZDriveColours
