// Printing on Linux: the results file, read back and decoded (GBK, or UTF-8
// after its mark), is laid out in a Chinese font and sent to the default CUPS
// printer through QtPrintSupport.
// No dialog, no window; without a printer or a running service nothing
// happens.
#include "print_service.h"
#include "lists/text_encoding.h"
#include "text_pages.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QPrinterInfo>

namespace taviro {

namespace {

class CupsPrintService : public PrintService
{
public:
    void printFile(const QString &path) override
    {
        // QPrinter needs the fonts and paint engines of a GUI application.
        if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
            return;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QString text = decodeWrittenText(file.readAll());
        file.close();

        const QPrinterInfo target = QPrinterInfo::defaultPrinter();
        if (target.isNull())
            return;
        QPrinter printer(target, QPrinter::HighResolution);
        printer.setDocName(QFileInfo(path).fileName());
        paintTextPages(printer, text, resultsPrintFont());
    }
};

} // namespace

PrintService &systemPrintService()
{
    static CupsPrintService service;
    return service;
}

} // namespace taviro
