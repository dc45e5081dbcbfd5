#include "line_runner.h"

#include <iostream>

#include "cli_args.h"
#include "cli_session.h"
#include "output.h"

namespace dalvero::cli {

namespace {

// Failures of the connection or the log-in rather than of the line.
bool EndsTheSession(int status) {
    namespace es = exit_status;
    return status == es::kUnreachable || status == es::kLostAnswer || status == es::kLoginRefused ||
           status == es::kThrottled;
}

}  // namespace

bool LineRunner::Run(int line, const std::function<void()>& step) {
    int status = exit_status::kDone;
    std::string reason;
    try {
        step();
        ++done_;
        return true;
    } catch (const UsageError& e) {
        status = exit_status::kUsage;
        reason = e.what();
    } catch (const CommandFailure& e) {
        status = e.Status();
        reason = e.what();
    } catch (const std::exception& e) {
        status = exit_status::kFailed;
        reason = e.what();
    }
    // The reason carries the server's words.
    std::cerr << "line " << line << ": " << EscapeServerText(reason) << '\n';
    if (++failed_ == 1) {
        firstLine_ = line;
        firstStatus_ = status;
    }
    if (keepGoing_ && !EndsTheSession(status)) return true;
    stoppedAt_ = line;
    return false;
}

void LineRunner::PrintSummary(std::ostream& out, const std::string& what) const {
    out << what << ": " << done_ << " done, " << failed_ << " failed";
    if (failed_) out << ", the first at line " << firstLine_;
    if (stoppedAt_) out << "; stopped at line " << stoppedAt_;
    out << '\n';
}

}  // namespace dalvero::cli
