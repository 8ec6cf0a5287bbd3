// Placeholders for the report hooks of KZAppController until
// KZAppController+Reports.cpp defines them; delete this file together with
// adding that one.
#include "KZAppController.h"

#include "KZLog.h"

void KZAppController::setUpReportActions() {}

void KZAppController::openReportFiles(const QStringList &paths)
{
    for (const QString &path : paths)
        KZLog::log(QStringLiteral("Report file not opened (no viewer yet): %1").arg(path));
}
