#include "KZValueFields.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

QLineEdit *KZValueFields::addRow(QFormLayout *form, const QString &name, const QString &caption,
                                 const QString &captionName)
{
    auto *field = new QLineEdit(QStringLiteral("-"));
    field->setObjectName(name);
    makeFlat(field);
    auto *label = new QLabel(caption);
    label->setObjectName(captionName.isEmpty() ? name + QStringLiteral("Text") : captionName);
    label->setBuddy(field);
    form->addRow(label, field);
    insert(field);
    insert(label);
    return field;
}

void KZValueFields::insert(QLineEdit *field)
{
    m_fields.insert(field->objectName(), field);
}

void KZValueFields::insert(QLabel *label)
{
    m_captions.insert(label->objectName(), label);
}

void KZValueFields::setText(const QString &name, const QString &text) const
{
    QLineEdit *edit = m_fields.value(name);
    edit->setText(text);
    edit->setCursorPosition(0);
}

void KZValueFields::makeFlat(QLineEdit *field)
{
    field->setReadOnly(true);
    field->setFrame(false);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    field->setPalette(palette);
}
