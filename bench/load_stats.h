#pragma once
// Timing for the load generator: each client thread records how long each of
// its requests took; the run's figures are requests per second over the
// wall-clock time of the whole run, and the median, 99th percentile and
// longest single request. Also the command-line options both bench tools read.

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace dalvero::bench {

using Clock = std::chrono::steady_clock;

struct LoadStats {
    int done = 0;
    int failed = 0;
    double seconds = 0;
    double p50Ms = 0;
    double p99Ms = 0;
    double maxMs = 0;
    double PerSecond() const { return seconds > 0 ? done / seconds : 0; }
};

// One client's part of a run: its set-up (connections, log-in) is not timed;
// `request(i)` makes the client's i-th request and says whether it succeeded.
struct ClientWork {
    std::function<bool()> setUp;
    std::function<bool(int)> request;
};

// Runs `clients` clients at once, each making `requests` requests (fewer when
// `seconds` pass first) after every client's set-up has finished. A client
// whose set-up fails counts as one failure.
LoadStats RunClients(int clients, int requests, double seconds, const std::function<ClientWork(int)>& makeClient);

// The figures of a list of durations in milliseconds (sorted in place).
void Summarize(std::vector<double>& ms, LoadStats& stats);

// "name rps=... p50=... p99=... max=... done=... failed=...": one line that
// bench/run.sh reads.
void PrintStats(const std::string& name, const LoadStats& stats);

double MsSince(Clock::time_point start);

// The "--name value" pairs of a command line from argv[first] on.
class Options {
public:
    Options(int argc, char** argv, int first);
    std::string Text(const std::string& name, const std::string& fallback = {}) const;
    // The number given, at least `least`; the fallback when none is.
    double Number(const std::string& name, double fallback, double least = 1) const;

private:
    std::map<std::string, std::string> given_;
};

}  // namespace dalvero::bench
