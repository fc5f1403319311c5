// Reading text positions back from a PDF page with `pdftotext -bbox`.
#pragma once

#include "print/waybill_sample.h"

#include "print/WaybillLayout.h"

#include <QString>

#include <string>
#include <vector>

namespace hoxa::test {

struct PdfWord {
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;  // points from the page's top-left
};

struct PdfPage {
    double width = 0, height = 0;  // points
    std::vector<PdfWord> words;
};

// Runs pdftotext -bbox on the file; an empty page list when it cannot be run.
std::vector<PdfPage> ReadPdfWords(const QString& pdfPath, QString* error);

// pdftotext reports the full-width tilde as the wave dash: compare in one form.
QString NormaliseText(QString s);

// Checks that every item with a text appears on the page as a word starting with
// that text, its xMin and yMin within `tolerance` dots of the item's x and y.
// Returns the failures as readable lines (empty when all is well).
std::vector<std::string> CompareWithPage(const std::vector<WaybillItem>& items, const PdfPage& page,
                                         int dpiX, int dpiY, double tolerance,
                                         double offsetXPt = 0, double offsetYPt = 0);

}  // namespace hoxa::test
