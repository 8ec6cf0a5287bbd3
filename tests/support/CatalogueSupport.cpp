#include "CatalogueSupport.h"

#include "KZTranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <gtest/gtest.h>

namespace TestSupport {

InstalledCatalogue::InstalledCatalogue(const QString &language)
    : m_previousLanguage(KZTranslations::language())
{
    const QString file = QDir(KZTranslations::catalogueFolder())
                             .filePath(QStringLiteral("tarnwell_%1.qm").arg(language));
    m_loaded = m_translator.load(file) && QCoreApplication::installTranslator(&m_translator);
    EXPECT_TRUE(m_loaded) << "cannot install " << file.toStdString();
    KZTranslations::setLanguage(language);
}

InstalledCatalogue::~InstalledCatalogue()
{
    QCoreApplication::removeTranslator(&m_translator);
    KZTranslations::setLanguage(m_previousLanguage);
}

} // namespace TestSupport
