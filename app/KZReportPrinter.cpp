#include "KZReportPrinter.h"

#include "KZLog.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

namespace KZReportPrinter {

namespace {
// The width of the text area, in points.
constexpr qreal textAreaWidth = 450;
} // namespace

QFont reportFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(6);
    return font;
}

void render(QPrinter &printer, const QString &text)
{
    QTextDocument document;
    // Laid out for the printer, so the fonts are measured at its resolution.
    document.documentLayout()->setPaintDevice(&printer);
    document.setDefaultFont(reportFont());
    document.setDocumentMargin(0);
    document.setPlainText(text);

    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const qreal scale = printer.resolution() / 72.0;
    const qreal width = qMin(textAreaWidth * scale, page.width());
    // The page height makes the layout move a line that would cross the
    // bottom of a page to the next one.
    document.setPageSize(QSizeF(width, page.height()));

    QPainter painter(&printer);
    if (!painter.isActive()) {
        KZLog::log(QStringLiteral("Printing failed: the printer could not be opened."));
        return;
    }
    const int pages = document.pageCount();
    for (int index = 0; index < pages; ++index) {
        if (index > 0)
            printer.newPage();
        painter.save();
        const QRectF clip(0, index * page.height(), width, page.height());
        painter.translate(0, -clip.top());
        document.drawContents(&painter, clip);
        painter.restore();
    }
}

bool print(QWidget *parent, const QString &text, const DialogRunner &runDialog)
{
    // Pages follow the text down and across; nothing is centred.
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QCoreApplication::translate("KZReportPrinter", "Print drive reports"));
    const int answer = runDialog ? runDialog(dialog) : dialog.exec();
    if (answer != QDialog::Accepted)
        return false;
    render(printer, text);
    return true;
}

} // namespace KZReportPrinter
