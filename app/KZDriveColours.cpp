#include "KZDriveColours.h"

#include <QApplication>
#include <QBrush>
#include <QPalette>
#include <QWidget>

namespace KZDriveColours {

QColor alertColor()
{
    return QColor(0xcc, 0x00, 0x00);
}

QColor toneColor(KZTone tone, const QWidget *widget)
{
    if (tone == KZTone::Alert)
        return alertColor();
    const QWidget *parent = widget ? widget->parentWidget() : nullptr;
    return (parent ? parent->palette() : QApplication::palette()).color(QPalette::WindowText);
}

QVariant foreground(KZTone tone)
{
    return tone == KZTone::Alert ? QVariant(QBrush(alertColor())) : QVariant();
}

QColor statusBackground(KZStatusStyle style)
{
    switch (style) {
    case KZStatusStyle::Passed:
        return QColor(0x2e, 0x7d, 0x32); // green
    case KZStatusStyle::Failing:
        return QColor(0xfd, 0xd8, 0x35); // yellow
    case KZStatusStyle::Failed:
        return QColor(0xc6, 0x28, 0x28); // red
    case KZStatusStyle::Unknown:
        return QColor(0x79, 0x55, 0x48); // brown
    case KZStatusStyle::Testing:
        return QColor(0xfb, 0x8c, 0x00); // orange
    case KZStatusStyle::Unsupported:
        return QColor(0x15, 0x65, 0xc0); // blue
    case KZStatusStyle::Sleeping:
        return QColor(0x54, 0x6e, 0x7a); // grey
    case KZStatusStyle::NoDrives:
        break;
    }
    return QColor(Qt::black);
}

QColor statusText(KZStatusStyle style)
{
    return style == KZStatusStyle::Failing || style == KZStatusStyle::Testing ? QColor(Qt::black)
                                                                              : QColor(Qt::white);
}

void applyTone(QWidget *widget, KZTone tone)
{
    QPalette palette = widget->palette();
    const QColor color = toneColor(tone, widget);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Active, role, color);
        palette.setColor(QPalette::Inactive, role, color);
    }
    widget->setPalette(palette);
}

} // namespace KZDriveColours
