#include "my_all_tabs.h"

#include "image_button.h"

namespace dalvero {

MyAllTabs MakeMyAllTabs(QObject* owner, QLabel* mine, QLabel* all) {
    auto* group = new cImageButtonGroup(owner);
    const MyAllTabs tabs{cImageButton::Painted(mine, ImageButtonArt::Shape::Tab),
                         cImageButton::Painted(all, ImageButtonArt::Shape::Tab)};
    group->Add(tabs.mine);
    group->Add(tabs.all);
    group->Select(tabs.mine);
    return tabs;
}

}  // namespace dalvero
