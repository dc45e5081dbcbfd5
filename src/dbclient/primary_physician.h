#pragma once
// A case's primary physician (its CaseDoctorsLink record marked "P"), read
// by the case screens and the reports alike.

#include <string>

namespace dalvero {

class dbServerConnection;

// The case's primary physician as comma text Seq=...,Specialty=...,
// Title=...,FirstName=...,MiddleName=...,LastName=...; empty when there is
// none or the query fails.
std::string QueryPrimaryPhysician(dbServerConnection& db, const std::string& caseSeq);

}  // namespace dalvero
