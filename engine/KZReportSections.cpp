#include "KZReportSections.h"

#include "KZTask.h"

namespace {

using Part = KZReportSections::Part;

// What starts a block of the SMART data section, and the part it belongs
// to. Blocks no parser reads (the selective self-test log, what only "-x"
// prints) end the block before them.
enum class Kind
{
    Health,
    Capabilities,
    Attributes,
    ErrorLog,
    SelfTestLog,
    Other,
    None, // no block yet under this heading
};

struct Marker
{
    const char *prefix;
    Kind kind;
};

const Marker markers[] = {
    {"SMART overall-health self-assessment test result", Kind::Health},
    {"SMART Health Status:", Kind::Health},
    {"SMART Status not supported", Kind::Health},
    {"SMART Status command failed", Kind::Health},
    {"General SMART Values:", Kind::Capabilities},
    {"Warning! SMART Attribute", Kind::Attributes},
    {"SMART Attributes Data Structure revision number", Kind::Attributes},
    {"Vendor Specific SMART Attributes with Thresholds", Kind::Attributes},
    {"SMART/Health Information", Kind::Attributes},
    {"Current Drive Temperature", Kind::Attributes},
    {"Warning! SMART ATA Error Log", Kind::ErrorLog},
    {"SMART Error Log Version", Kind::ErrorLog},
    {"SMART Extended Comprehensive Error Log Version", Kind::ErrorLog},
    {"Error Information (NVMe Log", Kind::ErrorLog},
    {"SMART Error Log not supported", Kind::ErrorLog},
    {"Error counter log:", Kind::ErrorLog},
    {"Error Counter logging not supported", Kind::ErrorLog},
    {"Warning! SMART Self-test Log", Kind::SelfTestLog},
    {"SMART Self-test log", Kind::SelfTestLog},
    {"SMART Extended Self-test Log Version", Kind::SelfTestLog},
    {"Self-test Log (NVMe Log", Kind::SelfTestLog},
    {"Self-tests not supported", Kind::SelfTestLog},
    {"SMART Self-test Log not supported", Kind::SelfTestLog},
    {"Device does not support Self Test logging", Kind::SelfTestLog},
    {"No Self-tests have been logged", Kind::SelfTestLog},
    {"SMART Selective self-test log", Kind::Other},
    {"Selective Self-tests/Logging not supported", Kind::Other},
    {"General Purpose Log Directory", Kind::Other},
    {"SCT Status Version", Kind::Other},
    {"SCT Commands not supported", Kind::Other},
    {"SCT Temperature History", Kind::Other},
    {"SCT Error Recovery", Kind::Other},
    {"SCT Data Table", Kind::Other},
    {"Device Statistics (", Kind::Other},
    {"Pending Defects log", Kind::Other},
    {"SATA Phy Event Counters", Kind::Other},
    {"Device does not support Background scan", Kind::Other},
};

const QLatin1String heading("=== START OF ");

Kind markerKind(const QString &line)
{
    for (const Marker &marker : markers) {
        if (line.startsWith(QLatin1String(marker.prefix)))
            return marker.kind;
    }
    // NVMe: "Read 16 entries from Error Information Log failed: ..."
    if (line.startsWith(QLatin1String("Read ")) &&
        line.contains(QLatin1String(" entries from Error Information Log")))
        return Kind::ErrorLog;
    return Kind::None;
}

bool isBlank(const QString &line)
{
    return line.trimmed().isEmpty();
}

bool isDataHeading(const QString &line)
{
    return line.startsWith(QLatin1String("=== START OF READ SMART DATA SECTION")) ||
           line.startsWith(QLatin1String("=== START OF SMART DATA SECTION"));
}

// Blocks that end at their first blank line; the others run to the next block.
bool endsAtBlankLine(Kind kind)
{
    return kind == Kind::Health || kind == Kind::Attributes || kind == Kind::SelfTestLog;
}

// "000-015: 00 01 ...": a line of an ioctl data block.
bool isDataLine(const QString &line)
{
    if (line.size() < 8 || line.at(3) != QLatin1Char('-') || line.at(7) != QLatin1Char(':'))
        return false;
    for (const int at : {0, 1, 2, 4, 5, 6}) {
        if (!line.at(at).isDigit())
            return false;
    }
    return true;
}

// The lines smartctl printed as its report, without what ioctl reporting and
// replays add. The piece after the last line feed is no line.
QStringList reportText(const QString &printed)
{
    QStringList lines = printed.split(QLatin1Char('\n'));
    lines.removeLast();
    QStringList kept;
    kept.reserve(lines.size());
    enum class In
    {
        Text,
        Command, // between "REPORT-IOCTL: ... Command=X" and "... returned N"
        Data,    // between "===== [X] DATA START" and "===== [X] DATA END"
    } in = In::Text;
    for (const QString &line : lines) {
        if (in == In::Data) {
            if (isDataLine(line))
                continue;
            in = In::Text;
            if (line.startsWith(QLatin1String("===== [")) &&
                line.contains(QLatin1String("] DATA END")))
                continue;
        }
        if (in == In::Command) {
            if (line.startsWith(QLatin1Char(' ')))
                continue;
            in = In::Text;
        }
        if (line.startsWith(QLatin1String("REPORT-IOCTL:"))) {
            in = line.contains(QLatin1String(" returned ")) ? In::Text : In::Command;
            continue;
        }
        if (line.startsWith(QLatin1String("===== [")) &&
            line.contains(QLatin1String("] DATA START"))) {
            in = In::Data;
            continue;
        }
        if (line.startsWith(QLatin1String("REPLAY-IOCTL: Warning")) ||
            line.contains(QLatin1String("CHECK POWER MODE not implemented, ignoring -n option")) ||
            line.contains(QLatin1String("Device open changed type from")))
            continue;
        kept.append(line);
    }
    return kept;
}

QStringList split(const QStringList &printed)
{
    QString text;
    qsizetype length = 0;
    for (const QString &line : printed)
        length += line.size() + 1;
    text.reserve(length);
    for (const QString &line : printed) {
        text += line;
        text += QLatin1Char('\n');
    }
    return KZTask::splitLines(text);
}

} // namespace

KZReportSections::KZReportSections(const QString &printed)
{
    m_blocks.resize(int(Part::SelfTestLog));
    const QStringList lines = reportText(printed);
    m_reportLines = split(lines);
    m_banner = lines.mid(0, 2);

    qsizetype at = qMin<qsizetype>(2, lines.size());
    while (at < lines.size() && !lines.at(at).startsWith(heading))
        m_preamble.append(lines.at(at++));

    bool identityEnded = false;
    bool inData = false;
    bool hasData = false;
    Kind block = Kind::None;
    bool blockHasText = false;
    QString currentHeading;
    for (; at < lines.size(); ++at) {
        const QString &line = lines.at(at);
        if (line.startsWith(heading)) {
            currentHeading = line;
            block = Kind::None;
            inData = isDataHeading(line);
            hasData = hasData || inData;
            if (line.startsWith(QLatin1String("=== START OF INFORMATION SECTION")) &&
                m_identity.isEmpty()) {
                m_identity.append(line);
                identityEnded = false;
                // The section runs to its first blank line.
                for (++at; at < lines.size() && !lines.at(at).startsWith(heading); ++at) {
                    if (!identityEnded && isBlank(lines.at(at)))
                        identityEnded = true;
                    else if (!identityEnded)
                        m_identity.append(lines.at(at));
                    else
                        m_gate.append(lines.at(at));
                }
                --at;
            }
            continue;
        }
        if (!inData)
            continue;
        const Kind kind = markerKind(line);
        if (kind != Kind::None && kind != block) {
            block = kind;
            blockHasText = false;
        } else if (block == Kind::None) {
            // What the section prints before its first block is the health check.
            block = Kind::Health;
            blockHasText = false;
        }
        if (block == Kind::Other)
            continue;
        if (isBlank(line)) {
            if (blockHasText && endsAtBlankLine(block))
                block = Kind::Other;
            continue;
        }
        Block &target = m_blocks[int(block)];
        // The first block of each kind is the part; a second one is not read.
        if (!target.lines.isEmpty() && !blockHasText) {
            block = Kind::Other;
            continue;
        }
        if (target.lines.isEmpty())
            target.heading = currentHeading;
        target.lines.append(line);
        blockHasText = true;
    }
    // The reasons smartctl gives for stopping before the SMART data belong
    // to every part of the SMART data; a report that goes on has none.
    if (hasData)
        m_gate.clear();
}

QStringList KZReportSections::lines(Part part) const
{
    QStringList printed = m_banner;
    printed.append(QString());
    printed += m_preamble;
    if (part == Part::Identity) {
        printed += m_identity;
        return split(printed);
    }
    printed += m_gate;
    const Block &block = m_blocks.at(int(part) - 1);
    if (!block.lines.isEmpty()) {
        printed.append(block.heading);
        printed += block.lines;
    }
    return split(printed);
}
