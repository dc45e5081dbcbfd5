#include "load_stats.h"

#include <algorithm>
#include <barrier>
#include <cstdlib>
#include <thread>

namespace dalvero::bench {

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Summarize(std::vector<double>& ms, LoadStats& stats) {
    if (ms.empty()) return;
    std::sort(ms.begin(), ms.end());
    const auto at = [&ms](double share) { return ms[static_cast<std::size_t>(share * (ms.size() - 1))]; };
    stats.p50Ms = at(0.50);
    stats.p99Ms = at(0.99);
    stats.maxMs = ms.back();
}

LoadStats RunClients(int clients, int requests, double seconds, const std::function<ClientWork(int)>& makeClient) {
    std::vector<ClientWork> work;
    for (int c = 0; c < clients; ++c) work.push_back(makeClient(c));
    std::vector<std::vector<double>> times(static_cast<std::size_t>(clients));
    std::vector<int> failures(static_cast<std::size_t>(clients), 0);
    Clock::time_point start;
    // The clock starts once every client is connected and logged in.
    std::barrier ready(clients, [&start]() noexcept { start = Clock::now(); });
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            const auto index = static_cast<std::size_t>(c);
            const bool usable = work[index].setUp();
            ready.arrive_and_wait();
            if (!usable) {
                failures[index] = 1;
                return;
            }
            const auto end =
                start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
            for (int i = 0; i < requests && Clock::now() < end; ++i) {
                const auto begin = Clock::now();
                if (work[index].request(i))
                    times[index].push_back(MsSince(begin));
                else
                    ++failures[index];
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    LoadStats stats;
    stats.seconds = MsSince(start) / 1000;
    std::vector<double> all;
    for (int c = 0; c < clients; ++c) {
        const auto index = static_cast<std::size_t>(c);
        all.insert(all.end(), times[index].begin(), times[index].end());
        stats.failed += failures[index];
    }
    stats.done = static_cast<int>(all.size());
    Summarize(all, stats);
    return stats;
}

Options::Options(int argc, char** argv, int first) {
    for (int i = first; i + 1 < argc; i += 2) given_[argv[i]] = argv[i + 1];
}

std::string Options::Text(const std::string& name, const std::string& fallback) const {
    const auto found = given_.find(name);
    return found == given_.end() ? fallback : found->second;
}

double Options::Number(const std::string& name, double fallback, double least) const {
    const auto found = given_.find(name);
    return found == given_.end() ? fallback : std::max(least, std::atof(found->second.c_str()));
}

void PrintStats(const std::string& name, const LoadStats& stats) {
    std::printf("%s rps=%.1f p50=%.2f p99=%.2f max=%.2f done=%d failed=%d\n", name.c_str(), stats.PerSecond(),
                stats.p50Ms, stats.p99Ms, stats.maxMs, stats.done, stats.failed);
    std::fflush(stdout);
}

}  // namespace dalvero::bench
