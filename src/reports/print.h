#pragma once
// The page a printed report is drawn on, in inches from the page's top left
// corner. The report layouts draw only through this, so a PDF, a printer or a
// test's recording stand behind it alike.

#include <string_view>

namespace dalvero {

class cPrint {
public:
    enum class Align { Left, Centre };

    virtual ~cPrint() = default;
    // The font of the texts that follow, size in points.
    virtual void SetFont(double size, bool bold) = 0;
    // text with its top at y; Left starts it at x, Centre centres it on x.
    virtual void Text(double x, double y, std::string_view text, Align align = Align::Left) = 0;
    virtual void Line(double x1, double y1, double x2, double y2, double penWidth) = 0;
    // Ends the page; what follows goes on a new one.
    virtual void NewPage() = 0;
};

}  // namespace dalvero
