#include "sub_list_delegate.h"

#include <QApplication>
#include <QPainter>

#include "case_object.h"
#include "elided_text.h"
#include "icd_code_text.h"
#include "item_list_model.h"
#include "phone_text.h"

namespace dalvero {

namespace {
constexpr int kRowHeight = 15;
constexpr int kTextIndent = 1;
constexpr int kColumnGap = 8;
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

SubListRowTexts SubListTexts(CaseSubList which, const ListBoxItemClass& item) {
    const auto v = [&item](const char* name) { return item.GetValue(name); };
    switch (which) {
    case CaseSubList::kPhysicians: {
        std::string first = v("doc11") + " " + v("doc13");
        if (!v("f13").empty()) first += " (" + v("f13") + ")";
        return {first, PhoneDisplayText(v("doc19")), true};
    }
    case CaseSubList::kFamily:
        return {v("f11") + " " + v("f13") + " (" + v("f22") + ")", PhoneDisplayText(v("f19")), true};
    case CaseSubList::kDiagnosisCodes:
        return {IcdCodeText(v("f11"), IcdBook::Diagnoses), v("f1001"), false};
    case CaseSubList::kTreatmentCodes:
        break;
    }
    return {IcdCodeText(v("f11"), IcdBook::Procedures), v("f1001"), false};
}

cSubListDelegate::cSubListDelegate(CaseSubList which, const cItemListModel& rows, QObject* parent)
    : QStyledItemDelegate(parent), which_(which), rows_(rows) {}

void cSubListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &background, painter, background.widget);
    if (index.row() >= rows_.rowCount()) return;
    const SubListRowTexts texts = SubListTexts(which_, *rows_.At(index.row()));
    const QRect r = option.rect;
    painter->save();
    painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                : QPalette::Text));
    // The first text ends where the second begins, so a long name never runs
    // into the phone number beside it.
    int firstRight = r.left() + kSubListSecondLeft - kColumnGap;
    if (texts.secondAtRight) {
        const QRect second = r.adjusted(0, 0, -kSubListRightGap, 0);
        const int secondWidth = painter->fontMetrics().horizontalAdvance(Q(texts.second));
        DrawElided(*painter, second, Qt::AlignRight | Qt::AlignVCenter, Q(texts.second));
        firstRight = second.right() - secondWidth - kColumnGap;
    } else {
        DrawElided(*painter, r.adjusted(kSubListSecondLeft, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   Q(texts.second));
    }
    DrawElided(*painter, QRect(QPoint(r.left() + kTextIndent, r.top()), QPoint(firstRight, r.bottom())),
               Qt::AlignLeft | Qt::AlignVCenter, Q(texts.first));
    painter->restore();
}

QSize cSubListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width(), std::max(kRowHeight, option.fontMetrics.height())};
}

}  // namespace dalvero
