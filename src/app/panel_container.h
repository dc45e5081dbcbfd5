#pragma once
// One screen hosted by the main window: its panel, the navigation strip
// shown above it (none for some) and the tab marked selected when it shows.

class QGridLayout;
class QLabel;
class QWidget;

namespace dalvero {

class PanelContainerClass {
public:
    // Takes the strip, when given, into the one cell of stripSlot and the
    // panel into the one cell of panelSlot, hidden: the panels share one
    // place of the window and the strips another, and the layouts size them.
    // A widget that is in the slots' window already (a strip shared by several
    // panels) stays where it is.
    PanelContainerClass(QGridLayout& panelSlot, QGridLayout& stripSlot, QWidget* panel, QWidget* strip,
                        QLabel* tab);

    QWidget* Panel;
    QWidget* Strip;
    QLabel* Tab;
};

}  // namespace dalvero
