#include "print/layout_readback.h"

#include "base/Codec.h"

#include <QFile>
#include <QProcess>
#include <QXmlStreamReader>

#include <cmath>
#include <sstream>

namespace hoxa::test {

std::vector<PdfPage> ReadPdfWords(const QString& pdfPath, QString* error)
{
    std::vector<PdfPage> pages;
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-enc"),
                                          QStringLiteral("UTF-8"), pdfPath, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (error) *error = QStringLiteral("pdftotext failed: ") + QString::fromLocal8Bit(p.readAllStandardError());
        return pages;
    }
    QXmlStreamReader xml(p.readAllStandardOutput());
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        const auto a = xml.attributes();
        if (xml.name() == u"page") {
            PdfPage page;
            page.width = a.value(QLatin1String("width")).toDouble();
            page.height = a.value(QLatin1String("height")).toDouble();
            pages.push_back(page);
        } else if (xml.name() == u"word" && !pages.empty()) {
            PdfWord w;
            w.xMin = a.value(QLatin1String("xMin")).toDouble();
            w.yMin = a.value(QLatin1String("yMin")).toDouble();
            w.xMax = a.value(QLatin1String("xMax")).toDouble();
            w.yMax = a.value(QLatin1String("yMax")).toDouble();
            w.text = xml.readElementText();
            pages.back().words.push_back(w);
        }
    }
    if (xml.hasError() && error) *error = xml.errorString();
    return pages;
}

QString NormaliseText(QString s)
{
    s.replace(QChar(0x301C), QChar(0xFF5E));
    return s;
}

std::vector<std::string> CompareWithPage(const std::vector<WaybillItem>& items, const PdfPage& page,
                                         int dpiX, int dpiY, double tolerance, double offsetXPt,
                                         double offsetYPt)
{
    std::vector<std::string> failures;
    std::vector<bool> used(page.words.size(), false);
    for (const WaybillItem& item : items) {
        if (item.text.empty()) continue;
        const QString want = NormaliseText(ToQString(item.text));
        bool found = false;
        for (std::size_t i = 0; i < page.words.size(); ++i) {
            if (used[i] || NormaliseText(page.words[i].text) != want) continue;
            used[i] = true;
            found = true;
            const double x = (page.words[i].xMin - offsetXPt) * dpiX / 72.0;
            const double y = (page.words[i].yMin - offsetYPt) * dpiY / 72.0;
            if (std::fabs(x - static_cast<double>(item.x)) > tolerance ||
                std::fabs(y - static_cast<double>(item.y)) > tolerance) {
                std::ostringstream os;
                os << "item " << item.number << ": drawn at (" << item.x << ", " << item.y
                   << "), read back at (" << x << ", " << y << ")";
                failures.push_back(os.str());
            }
            break;
        }
        if (!found) {
            std::ostringstream os;
            os << "item " << item.number << ": text " << want.toStdString() << " not on the page";
            failures.push_back(os.str());
        }
    }
    return failures;
}

}  // namespace hoxa::test
