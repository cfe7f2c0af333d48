// SPDX-License-Identifier: GPL-2.0-or-later
// The default printer as the programs use it: the page's printable size in twips, pictures
// drawn scaled into rectangles given in twips, new page, end of document. A document starts
// with the first drawing. Where the system has no printer the document goes to a PDF file,
// whose path outputFile() then tells.
#pragma once

#include "platform/picture/picture.h"

#include <QRectF>
#include <QString>

#include <memory>
#include <vector>

class QPrinter;
class QPainter;

namespace printer {

class Printer
{
public:
    virtual ~Printer() = default;
    virtual float pageWidth() = 0;  // twips, printable area
    virtual float pageHeight() = 0; // twips, printable area
    // Each returns false on a printer error; errorString() says what it was.
    virtual bool paintPicture(const picture::Picture &pic, const QRectF &twips) = 0;
    virtual bool newPage() = 0;
    virtual bool endDoc() = 0;
    virtual QString errorString() const = 0;
    // The PDF file the last document went to, or empty when it went to a printer.
    virtual QString outputFile() const = 0;
};

// QPrinter on the system's default printer, or a PDF file in pdfFolder when there is none.
class SystemPrinter : public Printer
{
public:
    explicit SystemPrinter(const QString &pdfFolder, bool alwaysPdf = false);
    ~SystemPrinter() override;
    float pageWidth() override;
    float pageHeight() override;
    bool paintPicture(const picture::Picture &pic, const QRectF &twips) override;
    bool newPage() override;
    bool endDoc() override;
    QString errorString() const override { return error_; }
    QString outputFile() const override { return outputFile_; }
    // The folder PDF files go to by default: the user's documents folder, else the home folder.
    static QString defaultPdfFolder();

private:
    bool ensurePrinter();
    bool ensureDocument();
    QString pdfFolder_;
    bool alwaysPdf_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    QString error_, outputFile_;
};

} // namespace printer
