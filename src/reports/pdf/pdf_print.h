#pragma once
// Printed reports as PDF: a cPrint that draws with QPainter on QPdfWriter,
// on landscape Letter pages without margins, so a report's inches are the
// page's own. Needs a QGuiApplication for its fonts.

#include <string>

namespace dalvero {

struct NFPlacementReport;

// The call list's pages as PDF bytes.
std::string NFPlacementPdf(const NFPlacementReport& report);

}  // namespace dalvero
