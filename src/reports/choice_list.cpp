#include "choice_list.h"

#include "phone_text.h"
#include "print.h"

namespace dalvero {

namespace {

constexpr double kLeft = 0.6;
constexpr double kRight = 7.9;
constexpr double kAddressX = 3.8;
constexpr double kPhoneX = 6.1;
constexpr double kMilesX = 7.4;
constexpr double kRowHeight = 0.5;
constexpr double kLastRowTop = 8.4;
constexpr double kSignatureHeight = 1.9;

double Heads(cPrint& print, double y) {
    print.SetFont(9, true);
    print.Text(kLeft, y, "Provider");
    print.Text(kAddressX, y, "Address");
    print.Text(kPhoneX, y, "Phone");
    print.Text(kMilesX, y, "Miles");
    print.Line(kLeft, y + 0.2, kRight, y + 0.2, 0.01);
    return y + 0.3;
}

void Row(cPrint& print, double y, const ChoiceListEntry& e) {
    print.SetFont(9, e.preferred);
    print.Text(kLeft, y, e.name);
    print.SetFont(9, false);
    if (e.preferred) print.Text(kLeft, y + 0.17, "PREFERRED");
    print.Text(kAddressX, y, e.street);
    print.Text(kAddressX, y + 0.17, e.city + (e.city.empty() ? "" : ", ") + e.state + " " + e.zip);
    print.Text(kPhoneX, y, PhoneDisplayText(e.phone));
    print.Text(kMilesX, y, std::to_string(e.distance));
}

}  // namespace

void PrintChoiceList(cPrint& print, const ChoiceList& list) {
    print.SetFont(14, true);
    print.Text(4.25, 0.5, kChoiceListTitle, cPrint::Align::Centre);
    print.SetFont(10, false);
    print.Text(kLeft, 1.0, "Patient: " + list.patientName + "     Case: " + list.caseNumber);
    print.Text(kLeft, 1.2, "Care needed: " + list.category);
    print.Text(kLeft, 1.4, "Providers within " + list.radius + " miles" +
                               (list.insurance.empty() ? std::string()
                                                       : " that accept your primary insurance, " + list.insurance));
    print.SetFont(9, false);
    print.Text(kLeft, 1.7, kFinancialInterestLine);
    print.Text(kLeft, 1.85, kFinancialInterestLine2);
    double y = Heads(print, 2.2);
    if (list.entries.empty()) {
        print.Text(kLeft, y, "No provider of this kind within the radius accepts the primary insurance.");
        y += kRowHeight;
    }
    for (const ChoiceListEntry& e : list.entries) {
        if (y > kLastRowTop) {
            print.NewPage();
            y = Heads(print, 0.6);
        }
        Row(print, y, e);
        y += kRowHeight;
    }
    if (y + kSignatureHeight > 10.4) {
        print.NewPage();
        y = 0.6;
    }
    y += 0.2;
    print.SetFont(10, false);
    print.Text(kLeft, y, "You may choose any provider on this list, or one that is not on it; your choice will be");
    print.Text(kLeft, y + 0.17, "respected.");
    print.Text(kLeft, y + 0.5, "Provider chosen:");
    print.Line(kLeft + 1.3, y + 0.68, kRight, y + 0.68, 0.01);
    print.Text(kLeft, y + 1.0, "Signature of patient or representative:");
    print.Line(kLeft + 2.9, y + 1.18, 5.9, y + 1.18, 0.01);
    print.Text(6.0, y + 1.0, "Date:");
    print.Line(6.45, y + 1.18, kRight, y + 1.18, 0.01);
}

}  // namespace dalvero
