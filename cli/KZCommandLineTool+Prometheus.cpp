// check --prometheus: the verdicts of the check as Prometheus metrics.
#include "KZCommandLineTool.h"

#include "KZDriveStatus.h"
#include "KZPrometheusExport.h"

void KZCommandLineTool::exportAfterCheck(const KZDriveList &drives, bool scanned, qint64 durationMs,
                                         const QString &path)
{
    QList<const KZSMARTDrive *> checked;
    for (const auto &drive : drives)
        checked.append(drive.get());
    KZCheckFacts facts;
    facts.finished = QDateTime::currentDateTimeUtc();
    facts.durationSeconds = double(durationMs) / 1000.0;
    facts.scanSucceeded = scanned;
    facts.mergedStatus = KZDriveStatus::mergedDriveStatus(checked);
    if (path == QLatin1String("-")) {
        m_out << QString::fromUtf8(KZPrometheusExport::exposition(checked, facts));
        return;
    }
    // The exit status stays the check's: an export that could not be written
    // says so here, and the stale export shows in Prometheus.
    QString error;
    if (!KZPrometheusExport::exportCheck(path, checked, facts, &error))
        m_err << "tarnwell-cli: cannot write " << path << ": " << error << "\n";
}
