// The line splitter must hold its rules for any text: no empty line after
// the first, no line starting with a tab, CR or LF, nothing past the text.
#include "FuzzSupport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text =
        QString::fromUtf8(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    QStringList lines;
    try {
        lines = KZTask::splitLines(text);
    } catch (...) {
        if (!text.isEmpty() && !text.contains(QLatin1Char('\n')))
            return 0;
        std::abort(); // only text without any line feed may throw
    }
    qsizetype total = 0;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QString &line = lines.at(index);
        total += line.size();
        if (index > 0 && (line.isEmpty() || line.front() == QLatin1Char('\t') ||
                          line.front() == QLatin1Char('\r') || line.front() == QLatin1Char('\n')))
            std::abort();
        if (line.contains(QLatin1Char('\n')))
            std::abort();
    }
    if (total > text.size())
        std::abort();
    return 0;
}
