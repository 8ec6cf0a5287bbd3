#pragma once

#include <QMap>
#include <QString>

class QFormLayout;
class QLabel;
class QLineEdit;

// Read-only values under their captions, as the summary panel and the drive
// information window show them. Each value is a frameless field that reads
// like text on the window yet can be selected and reached by keyboard, and
// its caption is its label buddy, so a screen reader names it by the caption.
class KZValueFields
{
public:
    // Adds a row "caption: -"; the caption's name is `captionName`, or the
    // field's name followed by "Text".
    QLineEdit *addRow(QFormLayout *form, const QString &name, const QString &caption,
                      const QString &captionName = {});
    // Keeps a field or a label made elsewhere under its object name.
    void insert(QLineEdit *field);
    void insert(QLabel *label);

    QLineEdit *field(const QString &name) const { return m_fields.value(name); }
    QLabel *caption(const QString &name) const { return m_captions.value(name); }
    // Shows a value from its start.
    void setText(const QString &name, const QString &text) const;

    // A field that reads like text: read-only, no frame, no background.
    static void makeFlat(QLineEdit *field);

private:
    QMap<QString, QLineEdit *> m_fields;
    QMap<QString, QLabel *> m_captions;
};
