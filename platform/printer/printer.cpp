// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/printer/printer.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace printer {

SystemPrinter::SystemPrinter(const QString &pdfFolder, bool alwaysPdf) : pdfFolder_(pdfFolder), alwaysPdf_(alwaysPdf) {}

SystemPrinter::~SystemPrinter()
{
    if (painter_)
        painter_->end();
}

QString SystemPrinter::defaultPdfFolder()
{
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!docs.isEmpty() && QDir(docs).exists())
        return docs;
    return QDir::homePath();
}

bool SystemPrinter::ensurePrinter()
{
    if (printer_)
        return true;
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (!alwaysPdf_ && !info.isNull()) {
        printer_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        outputFile_.clear();
    } else {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setOutputFormat(QPrinter::PdfFormat);
        QDir().mkpath(pdfFolder_);
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
        outputFile_ = QDir(pdfFolder_).filePath(QStringLiteral("tavlo-print-%1.pdf").arg(stamp));
        printer_->setOutputFileName(outputFile_);
        // A file has no paper of its own: the paper usual where the user lives.
        const bool letter = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
        printer_->setPageSize(QPageSize(letter ? QPageSize::Letter : QPageSize::A4));
    }
    // A printer keeps its own paper.
    return true;
}

bool SystemPrinter::ensureDocument()
{
    ensurePrinter();
    if (painter_)
        return true;
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_.get())) {
        painter_.reset();
        error_ = outputFile_.isEmpty() ? QStringLiteral("the printer cannot start a document")
                                       : QStringLiteral("cannot write %1").arg(outputFile_);
        printer_.reset();
        return false;
    }
    // Twips from here on: the painter's units are 1/1440 inch on the printable area.
    const double dpi = printer_->resolution();
    painter_->scale(dpi / 1440.0, dpi / 1440.0);
    return true;
}

float SystemPrinter::pageWidth()
{
    ensurePrinter();
    return float(printer_->pageRect(QPrinter::Inch).width() * 1440.0);
}

float SystemPrinter::pageHeight()
{
    ensurePrinter();
    return float(printer_->pageRect(QPrinter::Inch).height() * 1440.0);
}

bool SystemPrinter::paintPicture(const picture::Picture &pic, const QRectF &twips)
{
    if (!ensureDocument())
        return false;
    pic.draw(*painter_, twips);
    return true;
}

bool SystemPrinter::newPage()
{
    if (!ensureDocument())
        return false;
    if (!printer_->newPage()) {
        error_ = QStringLiteral("the printer refused a new page");
        return false;
    }
    return true;
}

bool SystemPrinter::endDoc()
{
    if (!painter_) {
        // Nothing was drawn: an empty page, as the system's printer object sends one.
        if (!ensureDocument())
            return false;
    }
    const bool ok = painter_->end();
    painter_.reset();
    printer_.reset();
    if (!ok)
        error_ = QStringLiteral("the document could not be finished");
    return ok;
}

} // namespace printer
