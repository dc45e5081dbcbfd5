#pragma once
// Printed reports on Qt's paged devices: cPainterPrint draws a cPrint page
// with QPainter on a PDF writer or a printer, in the device's own dots per
// inch from the page's top left corner, so the device's page layout is set
// without margins. Needs a QGuiApplication for its fonts.

#include <QPainter>

#include <string>

#include "print.h"

class QPagedPaintDevice;

namespace dalvero {

struct ChoiceList;
struct NFPlacementReport;

class cPainterPrint : public cPrint {
public:
    explicit cPainterPrint(QPagedPaintDevice& device);

    void SetFont(double size, bool bold) override;
    void Text(double x, double y, std::string_view text, Align align) override;
    void Line(double x1, double y1, double x2, double y2, double penWidth) override;
    void NewPage() override;

private:
    double Dots(double inches) const;

    QPagedPaintDevice& device_;
    QPainter painter_;
};

// The call list's pages as PDF bytes: landscape Letter.
std::string NFPlacementPdf(const NFPlacementReport& report);
// The patient's choice list as PDF bytes: portrait Letter.
std::string ChoiceListPdf(const ChoiceList& list);

}  // namespace dalvero
