#include <algorithm>
#include <cctype>
#include <set>

#include "demo_context.h"
#include "init_error.h"
#include "schema.h"
#include "table_catalogue.h"

namespace dalvero::server::demo {
namespace {

namespace cat = dalvero::catalogue;
namespace cf = cat::cases;
namespace nf = cat::case_needs;
namespace qf = cat::quotes;

// Of the demo's 85 cases 25 are open and 15 are closed stays of patients who
// are in again; a larger demo keeps these proportions.
constexpr int kOpenShare = 25;
constexpr int kReturningShare = 15;

struct Scenario {
    std::vector<const char*> diagnoses;  // principal first
    std::vector<const char*> procedures;
    std::vector<int> needs;  // provider categories, most important first
    const char* note;
};

const std::vector<Scenario>& Scenarios() {
    static const std::vector<Scenario> scenarios = {
        {{"82021", "4019", "V5861"}, {"7935"}, {140, 89, 72},
         "Fall at home with intertrochanteric hip fracture, ORIF on day 2. Weight bearing as tolerated."},
        {{"71536", "2724", "4019"}, {"8154"}, {142, 89, 73, 85},
         "Elective total knee replacement for osteoarthritis. Progressing well with therapy."},
        {{"4280", "42731", "4019"}, {"8872"}, {141, 102, 79},
         "Acute on chronic systolic heart failure, diuresed 4 kg. Needs daily weights at home."},
        {{"49121", "486"}, {"9390", "9394"}, {102, 101, 141},
         "COPD exacerbation with pneumonia, BiPAP for two nights. New home oxygen requirement."},
        {{"43491", "34290", "4019"}, {"8703"}, {148, 142, 143, 144, 90},
         "Left MCA stroke with right hemiparesis and dysphagia. Good rehab potential."},
        {{"5856", "40391"}, {"3995", "3893"}, {147, 139},
         "End stage renal disease, dialysis started this admission. Needs an outpatient chair."},
        {{"486", "27651", "2900"}, {"9904"}, {140, 141, 102},
         "Community-acquired pneumonia with dehydration. Baseline mild dementia, lives alone."},
        {{"70715", "25080", "4439"}, {"8622"}, {110, 141, 105, 104},
         "Diabetic foot ulcer, excisional debridement. Wound vac recommended by wound care."},
        {{"0389", "5990", "99591"}, {"3893"}, {116, 141},
         "Urosepsis, improving on IV antibiotics. Needs two more weeks of home infusion."},
        {{"25070", "4439", "41401"}, {"8415"}, {148, 108, 90},
         "Below-knee amputation for peripheral vascular disease. Stump healing well."},
        {{"1629", "311"}, {"3322"}, {152, 79},
         "Metastatic lung cancer. Family meeting held; patient chooses comfort care."},
        {{"29411", "78097", "2900"}, {}, {151, 149},
         "Dementia with agitation, unsafe to return home. Family requests long-term placement."},
    };
    return scenarios;
}

const char* NeedDescription(int category) {
    static const std::map<int, const char*> descriptions = {
        {140, "Skilled nursing with daily therapy after discharge"}, {148, "Inpatient rehab, three hours of therapy a day"},
        {89, "Walker for home"},                       {72, "Bedside commode"},
        {142, "Home physical therapy after surgery"},  {73, "CPM machine for home use"},
        {85, "Quad cane"},                             {141, "Skilled nursing visits"},
        {102, "Home oxygen, 2 L by nasal cannula"},    {79, "Hospital bed for the first floor"},
        {101, "Nebulizer for home treatments"},        {143, "Home OT for daily activities"},
        {144, "Speech therapy for dysphagia"},         {90, "Wheelchair for community distances"},
        {147, "Outpatient dialysis chair, Mon/Wed/Fri"}, {139, "Home dialysis equipment"},
        {110, "Wound vac for foot ulcer"},             {105, "Diabetic shoes"},
        {104, "Dressing supplies for two weeks"},      {116, "IV pump for home antibiotics"},
        {108, "Prosthesis fitting after amputation"},  {152, "Hospice placement"},
        {151, "Geriatric psychiatry placement"},       {149, "Long-term care placement"}};
    auto found = descriptions.find(category);
    return found == descriptions.end() ? "" : found->second;
}

const char* const kRejectNotes[] = {"No bariatric beds until next month", "Cannot meet the dialysis schedule",
                                    "Insurance authorization denied", "No isolation room available"};
const char* const kNotes[] = {"Bed available on the day of discharge", "Will deliver before discharge",
                              "Needs the signed order faxed", "Family toured the facility", "Liaison will visit today"};
const char* const kSocial[] = {"Lives alone; daughter nearby.", "Lives with spouse in a two-story home.",
                               "Lives with son, who works days.", "Resides in senior apartments with elevator.",
                               "Wife is the main caregiver.", "Lives alone, no local family."};
const char* const kRelations[] = {"Daughter", "Son", "Wife", "Husband", "Sister", "Brother", "Niece", "Friend"};
const char* const kEthnicities[] = {"White", "White", "White", "White", "White", "White", "Black", "Black",
                                    "Black", "Hispanic", "Asian", "AmericanIndian", "PacificIslander", "AlaskanNative"};

enum class QuoteState { None, Waiting, AllRejected, AcceptedNotChosen, Awarded, WaitingMixed, Delivered };
constexpr QuoteState kOpenStates[] = {QuoteState::None,         QuoteState::Waiting, QuoteState::AllRejected,
                                      QuoteState::AcceptedNotChosen, QuoteState::Awarded, QuoteState::WaitingMixed,
                                      QuoteState::Delivered};

struct Patient {
    std::int64_t seq = 0;
    std::string first, last, sex;
    Place place;
    std::string street;
    CivilDate birth;
};

struct Stay {
    bool open = false;
    CivilDate admission;
    CivilDate discharge;  // planned while open
    bool hasDischarge = true;
    bool needsPlanned = true;
    std::string caseNumber;
};

class CaseWriter {
public:
    explicit CaseWriter(Context& context) : c_(context), r_(context.random) {
        for (const CodeEntry& e : context.books.diagnoses) diagnoses_[e.code] = e.description;
        for (const CodeEntry& e : context.books.procedures) procedures_[e.code] = e.description;
        for (const CategoryEntry& e : context.categories) {
            if (e.control.find('_') == std::string::npos) headingOf_[e.seq] = e.heading;
        }
    }

    Patient AddPatient() {
        Patient p;
        p.sex = r_.Chance(55) ? cf::kSexFemale : cf::kSexMale;
        p.first = r_.Pick(p.sex == cf::kSexFemale ? FemaleNames() : MaleNames());
        p.last = r_.Pick(LastNames());
        p.place = r_.Pick(c_.places);
        p.street = DemoStreet(r_);
        p.birth = AddDays(c_.today, -(r_.Between(45, 94) * 365 + r_.Between(0, 364)));
        std::string ssn;
        do {
            ssn = "9" + r_.Digits(8);  // never issued, so no real person's number
        } while (!ssns_.insert(ssn).second);
        std::string middle = r_.Chance(50) ? std::string(1, static_cast<char>('A' + r_.Below(26))) : "";
        p.seq = c_.storage.Add(cat::tbl::kPatients, {{cat::patients::kFirstName, p.first},
                                                     {cat::patients::kMiddleName, middle},
                                                     {cat::patients::kLastName, p.last},
                                                     {cat::patients::kSsn, ssn},
                                                     {cat::patients::kBirthDate, ToYmd(p.birth)}});
        return p;
    }

    void AddCase(const Patient& p, const Stay& stay, const Person& worker, int index) {
        const Scenario& scenario = r_.Pick(Scenarios());
        FieldValues f = CaseFields(p, stay, worker, scenario);
        if (stay.open) {
            if (index % 5 == 0) f[cf::kApprovalRequested] = cat::kYes;
            if (index % 5 == 1) f[cf::kApprovalRequested] = f[cf::kApproved] = cat::kYes;
        } else if (r_.Chance(85)) {
            f[cf::kApprovalRequested] = f[cf::kApproved] = cat::kYes;
        }
        std::int64_t caseSeq = c_.storage.Add(cat::tbl::kCases, f);

        AddPhysicians(caseSeq);
        AddFamily(caseSeq, p);
        AddCodes(caseSeq, scenario, stay.open ? 50 : 70);
        if (!stay.needsPlanned) return;
        int count = r_.Between(1, std::min<int>(stay.open ? 3 : 2, static_cast<int>(scenario.needs.size())));
        for (int n = 0; n < count; ++n) {
            QuoteState state = stay.open ? kOpenStates[openNeeds_++ % std::size(kOpenStates)] : QuoteState::Delivered;
            AddNeed(caseSeq, p, stay, worker, scenario.needs[static_cast<std::size_t>(n)], state, false);
        }
        if (stay.open && index % 6 == 2) {
            AddNeed(caseSeq, p, stay, worker, scenario.needs.back(), QuoteState::Waiting, true);
        }
    }

private:
    FieldValues CaseFields(const Patient& p, const Stay& stay, const Person& worker, const Scenario& scenario) {
        bool female = p.sex == cf::kSexFemale;
        int inches = female ? r_.Between(59, 68) : r_.Between(65, 75);
        FieldValues f = {{cf::kPatient, std::to_string(p.seq)},
                         {cf::kHospital, std::to_string(c_.hospital)},
                         {cf::kAdmission, ToYmd(stay.admission)},
                         {cf::kRoom, std::to_string(r_.Between(3, 7) * 100 + r_.Between(1, 40))},
                         {cf::kBed, r_.Chance(50) ? "A" : "B"},
                         {cf::kHeight, std::to_string(inches / 12) + "' " + std::to_string(inches % 12) + "\""},
                         {cf::kWeight, std::to_string(female ? r_.Between(110, 210) : r_.Between(150, 260)) + " lb"},
                         {cf::kPrimaryInsurance, std::to_string(r_.Pick(c_.insurances))},
                         {cf::kCaseWorker, std::to_string(worker.seq)},
                         {cf::kSex, p.sex},
                         {cf::kMaritalStatus, r_.Pick(std::vector<std::string>{"S", "M", "M", "D"})},
                         {cf::kEthnicity, kEthnicities[r_.Below(static_cast<int>(std::size(kEthnicities)))]},
                         {cf::kStreet, p.street},
                         {cf::kCity, p.place.city},
                         {cf::kState, "OH"},
                         {cf::kZip, p.place.zip},
                         {cf::kPhone, DemoPhone(r_, p.place.miles < 15 ? "614" : "740")},
                         {cf::kDiagnosisNote, std::string(scenario.note) + " " + kSocial[r_.Below(std::size(kSocial))]}};
        if (!stay.caseNumber.empty()) f[cf::kCaseNumber] = stay.caseNumber;
        if (r_.Chance(60)) f[cf::kSecondaryInsurance] = std::to_string(r_.Pick(c_.insurances));
        if (r_.Chance(10)) f[cf::kThirdInsurance] = std::to_string(r_.Pick(c_.insurances));
        if (r_.Chance(30)) f[cf::kPhone2] = DemoPhone(r_, "380");
        if (r_.Chance(40)) f[cf::kEmail] = Lower(p.first) + "." + Lower(p.last) + "@example.com";
        int language = r_.Below(100);
        f[cf::kLanguage] = language < 85 ? "ENG" : language < 92 ? "SPA" : language < 95 ? "VIE" : "000";
        if (f[cf::kLanguage] == "000") f[cf::kOtherLanguage] = "Somali";
        if (stay.hasDischarge) {
            f[cf::kDischarge] = ToYmd(stay.discharge) + (r_.Chance(50) ? "1000" : "1430") + "00";
            // The late-discharge report lists discharges after this time.
            int lateBy = stay.open ? 0 : r_.Chance(30) ? r_.Between(1, 3) : r_.Chance(85) ? -1 : 99;
            if (lateBy != 99) f[cf::kLateAfter] = ToYmd(AddDays(stay.discharge, -lateBy)) + "120000";
        }
        if (!stay.open) {
            f[cf::kClosed] = cat::kYes;
            int how = r_.Between(1, 4);
            f[cf::kLeftHow] = std::to_string(how);
            const char* detail[] = {"", "daughter drove", "Medicar van", "left against medical advice"};
            if (how > 1 && r_.Chance(70)) f[cf::kLeftHowDetail] = detail[how - 1];
        }
        if (r_.Chance(60)) f[cf::kHealthDetails] = HealthDetails();
        return f;
    }

    std::string HealthDetails() {
        const char* mobility[] = {"Ambulate w/Assist", "Chair w/Assist", "Bedridden"};
        int m = r_.Below(3);
        std::string text = "{\"MobilityGroupBox\":{\"Caption\":\" Mobility \",\"Details\":{\"Mobility" + std::to_string(m + 1) +
                           "\":{\"Caption\":\"" + mobility[m] + "\",\"Data\":\"Y\"}}}";
        if (r_.Chance(40)) {
            text += ",\"AdvanceDirectivesGroup\":{\"Caption\":\" Advance Directives \",\"Details\":{\"AdvanceDir1\":"
                    "{\"Caption\":\"DNR\",\"Data\":\"Y\"}}}";
        }
        text += ",\"CognitionGroup\":{\"Caption\":\" Cognition \",\"Details\":{\"Cognition1\":{\"Caption\":\"Alert\","
                "\"Data\":\"Y\"},\"Cognition2\":{\"Caption\":\"Oriented\",\"Data\":\"Y\"}}}";
        text += r_.Chance(50) ? ",\"AllergiesGroupBox\":{\"Caption\":\" Allergies \",\"Details\":{\"AllergiesMemo\":"
                                "{\"Data\":\"Penicillin (rash)\"}}}"
                              : ",\"AllergiesGroupBox\":{\"Caption\":\" Allergies \",\"Details\":{\"AllergiesNACheckBox\":"
                                "{\"Caption\":\"N/A\",\"Data\":\"Y\"}}}";
        text += ",\"PrescriptionsGroupBox\":{\"Caption\":\" Prescriptions \",\"Details\":{\"PrescriptionsStringGrid\":{"
                "\"Line1\":{\"Col1\":\"Lisinopril\",\"Col2\":\"10 mg\",\"Col3\":\"Daily\",\"Col4\":\"PO\",\"Col5\":"
                "\"Hypertension\"},\"Line2\":{\"Col1\":\"Acetaminophen\",\"Col2\":\"650 mg\",\"Col3\":\"Every 6 hours as "
                "needed\",\"Col4\":\"PO\",\"Col5\":\"Pain\"}}},\"Version\":1,\"Name\":\"PrescriptionsStringGrid\"}";
        return text + "}";
    }

    void AddPhysicians(std::int64_t caseSeq) {
        std::set<std::size_t> chosen;
        int count = r_.Between(1, 3);
        while (static_cast<int>(chosen.size()) < count) chosen.insert(static_cast<std::size_t>(r_.Below(static_cast<int>(c_.physicians.size()))));
        bool primary = true;
        for (std::size_t i : chosen) {
            const Person& doctor = c_.physicians[i];
            namespace dl = cat::case_doctors;
            c_.storage.Add(cat::tbl::kCaseDoctorsLink, {{dl::kCase, std::to_string(caseSeq)},
                                                        {dl::kDoctor, std::to_string(doctor.seq)},
                                                        {dl::kPrimary, primary ? dl::kPrimaryMark : ""},
                                                        {dl::kSpecialty, r_.Chance(70) ? doctor.specialty : ""}});
            primary = false;
        }
    }

    void AddFamily(std::int64_t caseSeq, const Patient& p) {
        int count = r_.Chance(80) ? r_.Between(1, 2) : 0;
        for (int i = 0; i < count; ++i) {
            namespace fm = cat::case_family;
            bool female = r_.Chance(50);
            std::string first = r_.Pick(female ? FemaleNames() : MaleNames());
            std::string last = r_.Chance(70) ? p.last : r_.Pick(LastNames());
            FieldValues f = {{fm::kCase, std::to_string(caseSeq)},
                             {fm::kFirstName, first},
                             {fm::kLastName, last},
                             {fm::kPhone, DemoPhone(r_)},
                             {fm::kRelation, kRelations[r_.Below(std::size(kRelations))]},
                             {fm::kPrimary, i == 0 ? fm::kPrimaryMark : ""}};
            if (r_.Chance(30)) f[fm::kPhone2] = DemoPhone(r_, "740");
            if (r_.Chance(40)) f[fm::kEmail] = Lower(first) + "." + Lower(last) + "@example.com";
            c_.storage.Add(cat::tbl::kCaseFamily, f);
        }
    }

    void AddCodes(std::int64_t caseSeq, const Scenario& scenario, int procedurePercent) {
        namespace cd = cat::code_detail;
        int diagnoses = r_.Between(1, static_cast<int>(scenario.diagnoses.size()));
        for (int i = 0; i < diagnoses; ++i) {
            const char* code = scenario.diagnoses[static_cast<std::size_t>(i)];
            c_.storage.Add(cat::tbl::kDiagCodeDetail,
                           {{cd::kCase, std::to_string(caseSeq)}, {cd::kCode, code}, {cd::kDescription, Describe(diagnoses_, code)}});
        }
        if (!r_.Chance(procedurePercent)) return;
        for (const char* code : scenario.procedures) {
            c_.storage.Add(cat::tbl::kTreatmentCodeDetail,
                           {{cd::kCase, std::to_string(caseSeq)}, {cd::kCode, code}, {cd::kDescription, Describe(procedures_, code)}});
        }
    }

    void AddNeed(std::int64_t caseSeq, const Patient& p, const Stay& stay, const Person& worker, int category,
                 QuoteState state, bool deleted) {
        CivilDate created = std::min(AddDays(stay.admission, r_.Between(0, 1)), c_.today);
        FieldValues f = {{nf::kCreated, ToYmd(created) + (r_.Chance(50) ? "0915" : "1340") + "00"},
                         {nf::kCreator, worker.first},
                         {nf::kCase, std::to_string(caseSeq)},
                         {nf::kProviderType, std::to_string(c_.catalogue.typeOfCategory.at(category))},
                         {nf::kCategory, std::to_string(category)},
                         {nf::kRequired, ToYmd(stay.discharge) + (r_.Chance(50) ? "1000" : "")},
                         {nf::kDescription, NeedDescription(category)}};
        if (deleted) f[nf::kDeleted] = cat::kYes;
        auto details = c_.details.find(category);
        if (details != c_.details.end() && r_.Chance(70)) f[nf::kCategoryDetail] = std::to_string(r_.Pick(details->second));
        std::int64_t need = c_.storage.Add(cat::tbl::kCaseNeeds, f);

        // The quote statuses of each state, the first of a chosen state being the awarded one.
        std::vector<std::string> statuses;
        switch (state) {
            case QuoteState::None: break;
            case QuoteState::Waiting: statuses = {qf::kWaiting, qf::kWaiting, qf::kWaiting}; break;
            case QuoteState::AllRejected: statuses = {qf::kRejected, qf::kRejected, qf::kRejected, qf::kCancelled}; break;
            case QuoteState::AcceptedNotChosen: statuses = {qf::kAccepted, qf::kAccepted, qf::kRejected}; break;
            case QuoteState::Awarded:
            case QuoteState::Delivered: statuses = {qf::kAccepted, qf::kRejected, qf::kCancelled}; break;
            case QuoteState::WaitingMixed: statuses = {qf::kWaiting, qf::kRejected}; break;
        }
        std::vector<const Provider*> nearest = NearestProviders(category, p.place.point);
        bool chosen = state == QuoteState::Awarded || state == QuoteState::Delivered;
        std::string closingMark = deleted || !stay.open ? qf::kClosedMark : "";
        FieldValues needUpdate;
        for (std::size_t i = 0; i < statuses.size() && i < nearest.size(); ++i) {
            std::int64_t quote = AddQuote(need, *nearest[i], created, worker, category, statuses[i], closingMark);
            if (i == 0 && chosen) needUpdate[nf::kAwardedQuote] = std::to_string(quote);
        }
        if (state == QuoteState::Delivered && !needUpdate.empty()) {
            needUpdate[nf::kDelivered] = ToYmd(std::min(stay.discharge, c_.today));
        }
        if (!needUpdate.empty()) c_.storage.Update(cat::tbl::kCaseNeeds, need, needUpdate);
    }

    std::int64_t AddQuote(std::int64_t need, const Provider& provider, const CivilDate& requested, const Person& worker,
                          int category, const std::string& status, const std::string& closingMark) {
        // Requests go out over a few days, so the call list spans pages.
        CivilDate sent = std::min(AddDays(requested, r_.Between(0, 2)), c_.today);
        FieldValues f = {{qf::kCreated, ToYmd(sent) + std::to_string(r_.Between(10, 16)) + (r_.Chance(50) ? "05" : "40") + "00"},
                         {schema::quote_need::kNeed, std::to_string(need)},
                         {qf::kProvider, std::to_string(provider.seq)},
                         {qf::kPerson, std::to_string(worker.seq)},
                         {qf::kStatus, status}};
        if (!closingMark.empty()) f[qf::kClosingMark] = closingMark;
        if (status == qf::kAccepted || (status == qf::kWaiting && r_.Chance(30))) f[qf::kPrice] = Price(category);
        if (status == qf::kRejected) {
            int reason = r_.Between(1, 8);
            f[qf::kRejectReason] = std::to_string(reason);
            if (reason == 8) f[qf::kNote] = kRejectNotes[r_.Below(std::size(kRejectNotes))];
        } else if (r_.Chance(35)) {
            f[qf::kNote] = kNotes[r_.Below(std::size(kNotes))];
        }
        return c_.storage.Add(cat::tbl::kCaseNeedsQuote, f);
    }

    std::string Price(int category) {
        const std::string& heading = headingOf_.at(category);
        int dollars = heading == "Extended Care"      ? r_.Between(285, 465)
                      : heading == "Home Health Care" ? r_.Between(120, 190)
                      : heading == "Dialysis"         ? r_.Between(250, 400)
                      : heading == "Prostheses"       ? r_.Between(1800, 9500)
                                                      : r_.Between(35, 1500);
        return std::to_string(dollars) + "." + (r_.Chance(50) ? "00" : std::to_string(r_.Between(10, 99)));
    }

    // The nearest providers of the category, nearest first.
    std::vector<const Provider*> NearestProviders(int category, const functions::GeoPoint& from) {
        std::vector<std::pair<double, const Provider*>> found;
        for (const Provider& p : c_.providers) {
            if (p.categories.count(category)) found.push_back({functions::MilesBetween(from, p.point), &p});
        }
        std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<const Provider*> nearest;
        for (const auto& entry : found) nearest.push_back(entry.second);
        return nearest;
    }

    static std::string Describe(const std::map<std::string, std::string>& book, const char* code) {
        auto found = book.find(code);
        if (found == book.end()) throw InitError(std::string("demo code ") + code + " is not in the code book");
        return found->second;
    }

    static std::string Lower(std::string text) {
        for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return text;
    }

    Context& c_;
    Random& r_;
    std::map<std::string, std::string> diagnoses_, procedures_;
    std::map<int, std::string> headingOf_;
    std::set<std::string> ssns_;
    std::size_t openNeeds_ = 0;
};

}  // namespace

void AddCases(Context& context, int cases) {
    if (cases < 1) throw InitError("the demo needs at least one case");
    const auto share = [cases](int of85) { return static_cast<int>((static_cast<long long>(cases) * of85 + 42) / 85); };
    const int openCases = std::max(1, share(kOpenShare));
    const int closedCases = cases - openCases;
    const int returning = std::min(share(kReturningShare), std::min(openCases, closedCases));
    Random& r = context.random;
    CaseWriter writer(context);
    std::vector<Patient> patients;
    for (int i = 0; i < cases - returning; ++i) patients.push_back(writer.AddPatient());

    int number = 100231;
    auto caseNumber = [&](const CivilDate& admission) {
        return ToYmd(admission).substr(2, 2) + "-" + std::to_string(number++);
    };
    const std::vector<Person>& workers = context.caseWorkers;

    for (int i = 0; i < closedCases; ++i) {
        bool isReturning = i >= closedCases - returning;
        const Patient& patient =
            patients[static_cast<std::size_t>(isReturning ? i - (closedCases - returning) : openCases + i)];
        Stay stay;
        stay.discharge = AddDays(context.today, -(isReturning ? r.Between(30, 360) : r.Between(3, 240)));
        stay.admission = AddDays(stay.discharge, -r.Between(2, 14));
        stay.caseNumber = caseNumber(stay.admission);
        writer.AddCase(patient, stay, workers[static_cast<std::size_t>(i) % workers.size()], i);
    }
    for (int i = 0; i < openCases; ++i) {
        Stay stay;
        stay.open = true;
        stay.admission = AddDays(context.today, -r.Between(0, 9));
        stay.discharge = std::max(AddDays(stay.admission, 2), AddDays(context.today, r.Between(-1, 5)));
        // The newest intake has no case number, discharge date or needs yet.
        bool fresh = i == openCases - 1;
        stay.hasDischarge = stay.needsPlanned = !fresh;
        if (!fresh) stay.caseNumber = caseNumber(stay.admission);
        writer.AddCase(patients[static_cast<std::size_t>(i)], stay, workers[static_cast<std::size_t>(i) % workers.size()], i);
    }
}

}  // namespace dalvero::server::demo
