#pragma once

#include <QString>
#include <QTranslator>

namespace TestSupport {

// Tarnwell's catalogue of a language, built into build/translations,
// installed for the lifetime of the object (with KZTranslations::language()
// set to it); afterwards the texts are the source's English again.
class InstalledCatalogue
{
public:
    explicit InstalledCatalogue(const QString &language);
    ~InstalledCatalogue();
    InstalledCatalogue(const InstalledCatalogue &) = delete;
    InstalledCatalogue &operator=(const InstalledCatalogue &) = delete;

    bool loaded() const { return m_loaded; }

private:
    QTranslator m_translator;
    QString m_previousLanguage;
    bool m_loaded = false;
};

} // namespace TestSupport
