#include "panel_container.h"

#include <QWidget>

namespace dalvero {

namespace {
void TakeInto(QWidget* host, QWidget* widget) {
    const QPoint at = widget->pos();
    widget->setParent(host);
    widget->move(at);
    widget->hide();
}
}  // namespace

PanelContainerClass::PanelContainerClass(QWidget* host, QWidget* panel, QWidget* strip, QLabel* tab)
    : Panel(panel), Strip(strip), Tab(tab) {
    TakeInto(host, panel);
    if (strip) TakeInto(host, strip);
}

}  // namespace dalvero
