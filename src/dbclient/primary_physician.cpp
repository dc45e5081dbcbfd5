#include "primary_physician.h"

#include "record_batch.h"
#include "string_list.h"
#include "table_catalogue.h"

namespace dalvero {

std::string QueryPrimaryPhysician(dbServerConnection& db, const std::string& caseSeq) {
    namespace cat = catalogue;
    cRecordBatch batch;
    if (!batch.Query(&db, cat::tbl::kCaseDoctorsLink, cat::kListByOwner, caseSeq, "", 0, 1, "f13,d10,d11,d12,d13",
                     cat::join::kDoctorShort, "f12=P", "F") ||
        !batch.Set->First())
        return {};
    cBatchSet& set = *batch.Set;
    return ToCommaText({"Seq=" + set.Seq, "Specialty=" + set.ReadField("f13"), "Title=" + set.ReadField("d10"),
                        "FirstName=" + set.ReadField("d11"), "MiddleName=" + set.ReadField("d12"),
                        "LastName=" + set.ReadField("d13")});
}

}  // namespace dalvero
