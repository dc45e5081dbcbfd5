#include "case_object.h"

#include "record_batch.h"
#include "table_catalogue.h"

namespace dalvero {

namespace {
namespace cs = catalogue::cases;
namespace pt = catalogue::patients;
namespace pe = catalogue::personnel;

std::string Joined(std::string_view alias, int field) { return std::string(alias) + std::to_string(field); }
}  // namespace

cCaseObject cCaseObject::FromRecord(cBatchSet& set, bool withApproval) {
    using catalogue::alias::kCaseWorker;
    using catalogue::alias::kPatient;
    cCaseObject c;
    c.CaseNumber = set.ReadField(cs::kCaseNumber);
    c.Seq = set.Seq;
    c.PatientSeq = set.ReadField(cs::kPatient);
    c.FirstName = set.ReadField(Joined(kPatient, pt::kFirstName));
    c.MiddleName = set.ReadField(Joined(kPatient, pt::kMiddleName));
    c.LastName = set.ReadField(Joined(kPatient, pt::kLastName));
    c.Room = set.ReadField(cs::kRoom);
    c.Bed = set.ReadField(cs::kBed);
    c.AdmitDate = set.ReadField(cs::kAdmission);
    c.DischargeDate = set.ReadField(cs::kDischarge);
    c.BirthDate = set.ReadField(Joined(kPatient, pt::kBirthDate));
    c.Sex = set.ReadField(cs::kSex);
    c.PrimaryInsurance = set.ReadField(cs::kPrimaryInsurance);
    c.SecondaryInsurance = set.ReadField(cs::kSecondaryInsurance);
    c.ThirdInsurance = set.ReadField(cs::kThirdInsurance);
    if (withApproval) {
        c.ApprovalRequested = set.ReadField(cs::kApprovalRequested) == catalogue::kYes;
        c.Approved = set.ReadField(cs::kApproved) == catalogue::kYes;
    }
    c.CaseWorkerSeq = set.ReadField(cs::kCaseWorker);
    c.CaseWorkerName =
        set.ReadField(Joined(kCaseWorker, pe::kFirstName)) + " " + set.ReadField(Joined(kCaseWorker, pe::kLastName));
    return c;
}

void ListBoxItemClass::SetValue(std::string_view name, std::string_view value) {
    const int i = Values.IndexOfName(name);
    std::string line = std::string(name) + "=" + std::string(value);
    if (i < 0)
        Values.push_back(std::move(line));
    else
        Values[static_cast<std::size_t>(i)] = std::move(line);
}

std::string ListBoxItemClass::GetValue(std::string_view name) const {
    std::string value = Values.Value(name);
    return value == catalogue::kEmptyValue ? std::string() : value;
}

}  // namespace dalvero
