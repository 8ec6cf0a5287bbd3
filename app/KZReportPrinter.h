#pragma once

#include <QFont>
#include <QString>
#include <functional>

class QDialog;
class QPrinter;
class QWidget;

// Prints drive reports: plain text in a fixed-width font at 6 points, laid
// out in a text area 450 points wide that grows downwards (long lines wrap,
// nothing is cut at the right), split into pages where a line ends, through
// the print dialog (which also prints to a PDF file).
namespace KZReportPrinter {

// How a dialog is run: QDialog::exec() in the program, a pre-answer in tests.
using DialogRunner = std::function<int(QDialog &dialog)>;

// The text's font: the system's fixed-width font at 6 points.
QFont reportFont();

// Lays the text out on the printer's pages and prints it.
void render(QPrinter &printer, const QString &text);

// Shows the print dialog over `parent` and prints the text to the printer
// the user chose; false when the user cancelled.
bool print(QWidget *parent, const QString &text, const DialogRunner &runDialog);

} // namespace KZReportPrinter
