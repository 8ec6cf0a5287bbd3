#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One report of "smartctl -r ataioctl,2 -a", cut into the parts its single
// reading commands ("-i", "-H", "-c", "-A", "-l error", "-l selftest") print,
// so that every parser reads its own part as it would read that command's
// output: the banner, what smartctl says before its first section (an open
// failure, a warning), the section heading and the part itself. What is not
// smartctl's report text is left out: the ioctl reports and their data
// blocks, the notes a replay adds ("REPLAY-IOCTL: Warning ...", "... ignoring
// -n option") and the note on a changed device type that only ioctl
// reporting prints.
class KZReportSections
{
public:
    enum class Part
    {
        Identity,
        Health,
        Capabilities,
        Attributes,
        ErrorLog,
        SelfTestLog,
    };

    explicit KZReportSections(const QString &printed);

    // The report's own text as one command's output, split into lines as
    // the runner splits them: what the whole run is judged by.
    const QStringList &reportLines() const { return m_reportLines; }
    // The lines of one part, split as the runner splits them. A part the
    // report lacks has the banner and what precedes every part, as its
    // command prints it when it has nothing to say.
    QStringList lines(Part part) const;

private:
    QStringList m_banner;
    // Lines before the first section heading.
    QStringList m_preamble;
    // The information section: heading and lines up to its first blank line.
    QStringList m_identity;
    // Lines after the information section when no SMART data section
    // follows: why smartctl stopped ("SMART Disabled. Use option -s ...").
    QStringList m_gate;
    struct Block
    {
        QString heading;
        QStringList lines;
    };
    QList<Block> m_blocks; // indexed by Part, Health onwards
    QStringList m_reportLines;
};
