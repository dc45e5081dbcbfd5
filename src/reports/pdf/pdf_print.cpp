#include "pdf_print.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPdfWriter>

#include "choice_list.h"
#include "nf_placement.h"

namespace dalvero {

cPainterPrint::cPainterPrint(QPagedPaintDevice& device) : device_(device), painter_(&device) {}

void cPainterPrint::SetFont(double size, bool bold) {
    QFont font = painter_.font();
    font.setPointSizeF(size);
    font.setBold(bold);
    painter_.setFont(font);
}

void cPainterPrint::Text(double x, double y, std::string_view text, Align align) {
    const QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetricsF metrics(painter_.font(), &device_);
    double left = Dots(x);
    if (align == Align::Centre) left -= metrics.horizontalAdvance(shown) / 2;
    // cPrint places a text by its top; QPainter by its baseline.
    painter_.drawText(QPointF(left, Dots(y) + metrics.ascent()), shown);
}

void cPainterPrint::Line(double x1, double y1, double x2, double y2, double penWidth) {
    painter_.setPen(QPen(Qt::black, Dots(penWidth), Qt::SolidLine, Qt::FlatCap));
    painter_.drawLine(QPointF(Dots(x1), Dots(y1)), QPointF(Dots(x2), Dots(y2)));
}

void cPainterPrint::NewPage() { device_.newPage(); }

double cPainterPrint::Dots(double inches) const { return inches * device_.logicalDpiX(); }

namespace {

// The pages the print function draws, as PDF bytes.
template <class Draw>
std::string PdfOf(const char* title, QPageLayout::Orientation orientation, Draw draw) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QString::fromUtf8(title));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), orientation, QMarginsF()));
        cPainterPrint print(writer);
        draw(print);
    }
    return buffer.data().toStdString();
}

}  // namespace

std::string NFPlacementPdf(const NFPlacementReport& report) {
    return PdfOf("Call List for NF Placement", QPageLayout::Landscape,
                 [&](cPrint& print) { PrintNFPlacement(print, report); });
}

std::string ChoiceListPdf(const ChoiceList& list) {
    return PdfOf(kChoiceListTitle, QPageLayout::Portrait, [&](cPrint& print) { PrintChoiceList(print, list); });
}

}  // namespace dalvero
