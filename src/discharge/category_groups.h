#pragma once
// The catalogue of provider categories as the two pickers show it: one box
// per heading, laid out in a grid that scrolls when the window is small, the
// long "DME - Other" list scrolling on its own.

#include <functional>
#include <vector>

class QWidget;

namespace dalvero {

struct ProviderCategory;

// Adds to area (which gets a scrolling grid) a box per heading holding the
// widget makeEntry gives for each catalogue entry; needPickerOnly leaves out
// the entries only the category selection offers. Every entry widget is
// named after its control ("S139_1"). Gives the entries of each heading, in
// the order of the headings, for the keys that walk them.
std::vector<std::vector<QWidget*>> BuildCategoryGroups(QWidget* area, bool needPickerOnly,
                         const std::function<QWidget*(const ProviderCategory&, QWidget* parent)>& makeEntry);

}  // namespace dalvero
