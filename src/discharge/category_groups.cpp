#include "category_groups.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <string>
#include <vector>

#include "provider_categories.h"

namespace dalvero {
namespace {
constexpr int kColumns = 3;
constexpr char kScrollingHeading[] = "DME - Other";
}  // namespace

std::vector<std::vector<QWidget*>> BuildCategoryGroups(
    QWidget* area, bool needPickerOnly,
    const std::function<QWidget*(const ProviderCategory&, QWidget* parent)>& makeEntry) {
    // The boxes scroll inside the area, so that the window fits a small screen.
    auto* areaLayout = new QVBoxLayout(area);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    auto* pane = new QScrollArea(area);
    pane->setWidgetResizable(true);
    pane->setFrameShape(QFrame::NoFrame);
    // The keys scroll to the current entry; the panes themselves are no Tab stops.
    pane->setFocusPolicy(Qt::NoFocus);
    areaLayout->addWidget(pane);
    auto* content = new QWidget(pane);
    pane->setWidget(content);
    area = content;
    auto* grid = new QGridLayout(area);
    std::vector<std::string_view> headings;
    for (const ProviderCategory& c : kProviderCategories)
        if (std::find(headings.begin(), headings.end(), c.heading) == headings.end()) headings.push_back(c.heading);
    int cell = 0;
    std::vector<std::vector<QWidget*>> groups;
    for (std::string_view heading : headings) {
        std::vector<QWidget*>& group = groups.emplace_back();
        auto* box = new QGroupBox(QString::fromUtf8(heading.data(), static_cast<int>(heading.size())), area);
        box->setObjectName(QString::fromUtf8(heading.data(), static_cast<int>(heading.size())));
        auto* boxLayout = new QVBoxLayout(box);
        QWidget* holder = box;
        QVBoxLayout* entries = boxLayout;
        QScrollArea* scroll = nullptr;
        if (heading == kScrollingHeading) {
            scroll = new QScrollArea(box);
            scroll->setWidgetResizable(true);
            scroll->setFocusPolicy(Qt::NoFocus);
            holder = new QWidget(scroll);
            entries = new QVBoxLayout(holder);
            scroll->setWidget(holder);
            boxLayout->addWidget(scroll);
        }
        for (const ProviderCategory& c : kProviderCategories) {
            if (c.heading != heading || (needPickerOnly && !c.needPicker)) continue;
            QWidget* entry = makeEntry(c, holder);
            entry->setObjectName(QString::fromUtf8(c.control.data(), static_cast<int>(c.control.size())));
            entries->addWidget(entry);
            group.push_back(entry);
        }
        entries->addStretch();
        if (scroll) {
            // Wide enough for its longest entry: it scrolls down, not across.
            scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            scroll->setMinimumWidth(holder->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width() + 4);
        }
        // The scrolling list takes a whole column.
        if (heading == kScrollingHeading) {
            grid->addWidget(box, 0, kColumns, 2, 1);
        } else {
            grid->addWidget(box, cell / kColumns, cell % kColumns);
            ++cell;
        }
    }
    return groups;
}

}  // namespace dalvero
