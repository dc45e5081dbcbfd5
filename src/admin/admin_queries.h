#pragma once
// The DataServer and FunctionServer requests of the administration screen:
// the hospital's personnel and preferred providers, the provider search,
// the hospital's position and the case workers' load. Each returns none (or
// false) when a request fails and shows nothing; the screen decides what
// the user sees.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dalvero {

class dbServerConnection;

struct PersonRow {
    std::string seq;
    std::string firstName;
    std::string lastName;
    bool caseWorker = false;  // f25 "Y"
};

// The hospital's personnel in the server list's order. The stored password
// is never asked for.
std::optional<std::vector<PersonRow>> QueryPersonnel(dbServerConnection& db, const std::string& hospitalSeq);

// Whether a Personnel record other than selfSeq has this e-mail; none when
// the server could not tell.
std::optional<bool> EmailTakenByOther(dbServerConnection& db, const std::string& email, const std::string& selfSeq);

// A new password for the person; the server stores only its salted hash.
bool WritePassword(dbServerConnection& db, const std::string& personSeq, const std::string& password);

// The hospital's preferred providers: the link's Seq and the provider's
// fields as "p10".."p26" name=value items.
struct PreferredRow {
    std::string linkSeq;
    std::vector<std::pair<std::string, std::string>> fields;
    std::string Field(const std::string& name) const;
};
std::optional<std::vector<PreferredRow>> QueryPreferredProviders(dbServerConnection& db,
                                                                 const std::string& hospitalSeq);
bool AddPreferredProvider(dbServerConnection& db, const std::string& hospitalSeq, const std::string& providerSeq);
bool RemovePreferredProvider(dbServerConnection& db, const std::string& linkSeq);

struct ProviderRow {
    std::string seq, name, street, city, state, zip;
};
// Providers whose name begins with name (letter case aside), at most 20,
// limited by the filter ProviderSearchFilter makes.
std::optional<std::vector<ProviderRow>> SearchProviders(dbServerConnection& db, const std::string& name,
                                                        const std::string& filter);

// Has the server recompute the provider's position from its zip. The
// server's error text, empty when it worked.
std::string UpdateProviderPosition(dbServerConnection& functions, const std::string& providerSeq);

// One case worker's open cases: per column group, each case's name with its
// need status digit.
struct CaseWorkerLoad {
    std::string seq;
    std::string name;
    int caseCount = 0;
    std::vector<std::vector<std::pair<std::string, std::string>>> groups;  // kCaseWorkerGroups order
};
inline constexpr const char* kCaseWorkerGroups[] = {"New", "DaysLeft4", "DaysLeft3", "DaysLeft2", "DaysLeft1",
                                                    "Over"};
// The load of each case worker (f25 "Y") of the hospital, grouped by the
// days left; none when a request fails.
std::optional<std::vector<CaseWorkerLoad>> QueryCaseWorkerLoads(dbServerConnection& db,
                                                                dbServerConnection& functions,
                                                                const std::string& hospitalSeq);

}  // namespace dalvero
