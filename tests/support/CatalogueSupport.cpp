#include "CatalogueSupport.h"

#include "KZTranslations.h"

#include <gtest/gtest.h>

namespace TestSupport {

UserLanguage::UserLanguage(const QByteArray &language)
    : m_previous(qgetenv("LANGUAGE")), m_wasSet(qEnvironmentVariableIsSet("LANGUAGE"))
{
    qputenv("LANGUAGE", language);
    EXPECT_EQ(KZTranslations::install(), QString::fromLatin1(language))
        << "no catalogue in " << KZTranslations::catalogueFolder().toStdString();
}

UserLanguage::~UserLanguage()
{
    if (m_wasSet)
        qputenv("LANGUAGE", m_previous);
    else
        qunsetenv("LANGUAGE");
    KZTranslations::install({QStringLiteral("en")});
}

} // namespace TestSupport
