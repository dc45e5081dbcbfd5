// verify-audit: the audit trail's check, for a person or a nightly job.

#include <filesystem>
#include <iostream>
#include <optional>

#include "audit_anchor.h"
#include "audit_trail.h"
#include "schema.h"
#include "server_commands.h"
#include "server_config.h"

namespace dalvero::server::commands {

namespace {

const char kVerifyHelp[] =
    "Usage: dalvero-server verify-audit DIR [--expect SEQ:HASH]\n"
    "Check the audit trail of DIR: every row's hash and its link to the row\n"
    "before. Prints the newest row's Seq and hash; keep them and pass them back\n"
    "as --expect SEQ:HASH next time, which fails when that row is gone or changed\n"
    "(newest rows cut off, which the chain alone cannot show).\n"
    "Exit status: 0 intact, 3 a row was edited, inserted or removed, 1 the\n"
    "folder or its database could not be read, 2 usage error.\n";

}  // namespace

int VerifyAudit(const Args& args) {
    int status = kDone;
    const std::optional<Parsed> parsed = ParseOrExplain(args, {kVerifyHelp, {"--expect"}, {}, 1, 1}, status);
    if (!parsed) return status;
    std::int64_t expectedSeq = 0;
    std::string expectedHash;
    if (parsed->Has("--expect")) {
        const std::string expect = parsed->Get("--expect");
        const std::size_t colon = expect.find(':');
        try {
            std::size_t used = 0;
            expectedSeq = colon == std::string::npos ? 0 : std::stoll(expect.substr(0, colon), &used);
            if (used != colon) expectedSeq = 0;
        } catch (const std::exception&) {
            expectedSeq = 0;
        }
        expectedHash = colon == std::string::npos ? "" : expect.substr(colon + 1);
        if (expectedSeq <= 0 || expectedHash.empty()) {
            std::cerr << "dalvero-server verify-audit: --expect takes SEQ:HASH, as the last check printed\n"
                      << kVerifyHelp;
            return kUsage;
        }
    }
    const ServerConfig config = LoadServerConfig(parsed->positionals[0]);
    const std::unique_ptr<SqlStorage> store = OpenStorage(config.storage);
    Storage& storage = *store;
    // A folder from before anchors has no key yet; its chain is checked alone.
    std::optional<AuditAnchor> anchor;
    if (std::filesystem::exists(AuditKeyFile(config)))
        anchor.emplace(AuditKeyFile(config), AuditAnchorFile(config));
    else
        std::cout << "No audit key: the trail is not checked against its anchors.\n";
    const AuditCheck check = VerifyAuditTrail(*store, anchor ? &*anchor : nullptr);
    if (!check.intact) return ReportAuditCheck(check, {});
    if (expectedSeq) {
        const std::optional<Record> row = storage.Read(schema::kAuditTrail, expectedSeq);
        if (!row || row->Field(schema::audit::kHash) != expectedHash) {
            std::cout << "Audit trail changed: row " << expectedSeq
                      << (row ? " no longer has the hash it had" : " is gone (the newest rows were cut off)")
                      << "; the trail now ends at row " << NewestAuditRow(storage).seq << ".\n";
            return kTamperedOrNotRunning;
        }
    }
    return ReportAuditCheck(check, NewestAuditRow(storage));
}

int ReportAuditCheck(const AuditCheck& check, const AuditTip& newest) {
    if (!check.intact) {
        std::cout << "Audit trail broken at row " << check.firstBad << ": " << check.problem << ".\n";
        return kTamperedOrNotRunning;
    }
    std::cout << "Audit trail intact: " << check.rows << " rows.\n"
              << "Last row: " << newest.seq << ":" << newest.hash << "\n";
    return kDone;
}

}  // namespace dalvero::server::commands
