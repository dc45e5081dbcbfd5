#pragma once
// The patient's choice list: the post-acute providers of one need's
// category within a radius that accept the patient's primary insurance, on
// portrait Letter pages the patient reads, marks and signs. Medicare's
// discharge planning rule asks for the list, for the hospital's financial
// interest to be disclosed on it, and for the patient's choice to be
// respected, so the pages say so in words.

#include <string>
#include <vector>

namespace dalvero {

class cPrint;

struct ChoiceListEntry {
    std::string name;
    std::string street;
    std::string city;
    std::string state;
    std::string zip;
    std::string phone;
    int distance = 0;  // whole miles
    bool preferred = false;
};

struct ChoiceList {
    std::string patientName;
    std::string caseNumber;
    std::string category;
    std::string insurance;  // the primary insurance's name; empty when none
    std::string radius;     // miles, as asked
    std::vector<ChoiceListEntry> entries;  // in the matching order
};

inline constexpr char kChoiceListTitle[] = "Post-Acute Care Provider Choice List";
// The disclosure, in two lines to fit the page.
inline constexpr char kFinancialInterestLine[] =
    "Providers marked PREFERRED are preferred providers of this hospital:";
inline constexpr char kFinancialInterestLine2[] = "the hospital has a financial interest in or an agreement with them.";

// Draws the list: at least one page, the column heads again on each new one,
// and the patient's choice, signature and date after the last row.
void PrintChoiceList(cPrint& print, const ChoiceList& list);

}  // namespace dalvero
