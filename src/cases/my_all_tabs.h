#pragma once
// The "my cases" / "all cases" tab pair that heads the open and the previous
// case lists.

class QLabel;
class QObject;

namespace dalvero {

class cImageButton;

struct MyAllTabs {
    cImageButton* mine;
    cImageButton* all;
};

// Paints both images as tabs of one group, owned by `owner`, with "mine"
// selected. The caller connects the clicks.
MyAllTabs MakeMyAllTabs(QObject* owner, QLabel* mine, QLabel* all);

}  // namespace dalvero
