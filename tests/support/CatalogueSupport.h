#pragma once

#include <QByteArray>
#include <QString>

namespace TestSupport {

// The user's language set as a person sets it, in LANGUAGE, and Tarnwell's
// catalogues installed from it as the programs do at start (from
// build/translations), for the lifetime of the object; afterwards LANGUAGE
// is what it was and the texts are English again.
class UserLanguage
{
public:
    explicit UserLanguage(const QByteArray &language);
    ~UserLanguage();
    UserLanguage(const UserLanguage &) = delete;
    UserLanguage &operator=(const UserLanguage &) = delete;

private:
    QByteArray m_previous;
    bool m_wasSet = false;
};

} // namespace TestSupport
