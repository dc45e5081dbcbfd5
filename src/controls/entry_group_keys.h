#pragma once
// Keys for a window whose entries stand in groups, such as the category
// pickers: only the current entry of each group is in the Tab chain, so Tab
// and Shift+Tab move from group to group and on to the window's buttons;
// the arrows, Home and End move the current entry inside its group and
// scroll it into view; Return, Enter and Space run the window's choice on
// the current entry when it has one (a check box keeps Space for its tick).

#include <QObject>

#include <functional>
#include <vector>

class QWidget;

namespace dalvero {

class cEntryGroupKeys : public QObject {
    Q_OBJECT
public:
    using Group = std::vector<QWidget*>;
    using Choose = std::function<void(QWidget* entry)>;

    // Works the entries of `groups` from now on; owned by `window`. Each
    // group starts at its first entry. `choose`, when given, is run for
    // Return, Enter and Space on an entry.
    static cEntryGroupKeys* Install(QWidget* window, std::vector<Group> groups, Choose choose = {});

    // Gives the focus to the current entry of the first group.
    void FocusFirstGroup();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    cEntryGroupKeys(QWidget* window, std::vector<Group> groups, Choose choose);
    // Makes entry the current one of its group and the group's Tab stop.
    void MakeCurrent(std::size_t group, std::size_t entry);
    bool Find(const QObject* widget, std::size_t& group, std::size_t& entry) const;

    std::vector<Group> groups_;
    std::vector<std::size_t> current_;
    Choose choose_;
};

}  // namespace dalvero
