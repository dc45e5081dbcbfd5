#pragma once
// Work done line by line under one log-in (an import's records, a batch's
// commands): each failure is told on stderr with its line number, the rest
// runs after one only when the caller asked to keep going, and a summary
// tells a script how far it got.

#include <functional>
#include <ostream>
#include <string>

namespace dalvero::cli {

class LineRunner {
public:
    explicit LineRunner(bool keepGoing) : keepGoing_(keepGoing) {}

    // Runs step for the line numbered line, catching its failure. False when
    // the work stops here: after a failure unless keeping going, and always
    // once the server is gone or the log-in refused, which every further
    // line would meet too.
    bool Run(int line, const std::function<void()>& step);

    // "what: N done, M failed, the first at line L; stopped at line S" on one
    // line.
    void PrintSummary(std::ostream& out, const std::string& what) const;

    // 0 when every line was done, else the first failure's exit status.
    int Status() const { return firstStatus_; }

private:
    bool keepGoing_;
    int done_ = 0;
    int failed_ = 0;
    int firstLine_ = 0;
    int firstStatus_ = 0;
    int stoppedAt_ = 0;  // 0: ran to the end
};

}  // namespace dalvero::cli
