#include "panel_container.h"

#include <QGridLayout>
#include <QWidget>

namespace dalvero {

namespace {
void TakeInto(QGridLayout& slot, QWidget* widget) {
    if (widget->window() == slot.parentWidget()->window()) return;
    slot.addWidget(widget, 0, 0);
    widget->hide();
}
}  // namespace

PanelContainerClass::PanelContainerClass(QGridLayout& panelSlot, QGridLayout& stripSlot, QWidget* panel,
                                         QWidget* strip, QLabel* tab)
    : Panel(panel), Strip(strip), Tab(tab) {
    // The strip first: Tab reaches a screen's strip before its controls.
    if (strip) TakeInto(stripSlot, strip);
    TakeInto(panelSlot, panel);
}

}  // namespace dalvero
