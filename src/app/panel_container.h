#pragma once
// One screen hosted by the main window: its panel, the navigation strip
// shown above it (none for some) and the tab marked selected when it shows.

class QLabel;
class QWidget;

namespace dalvero {

class PanelContainerClass {
public:
    // Takes the panel, and the strip when given, into host, hidden.
    PanelContainerClass(QWidget* host, QWidget* panel, QWidget* strip, QLabel* tab);

    QWidget* Panel;
    QWidget* Strip;
    QLabel* Tab;
};

}  // namespace dalvero
