// How long a planner waits, and how much memory the server takes, while 600
// connections say nothing and 300 clients sit idle after their handshakes.
// Runs dalvero-server on a copy of the demo folder in a child process.
//
//     build/bin/server_crowd_bench

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "db_server_connection.h"
#include "ini_file.h"
#include "net_start.h"
#include "raw_connection.h"
#include "../tests/net/socket_test_util.h"
#include "real_server.h"
#include "record_batch.h"

namespace fs = std::filesystem;
using namespace dalvero;
using Clock = std::chrono::steady_clock;

namespace {

long RssKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

struct Ports {
    int data;
    int function;
    std::string ca;
    std::unique_ptr<dbServerConnection> Data() const {
        return std::make_unique<dbServerConnection>("127.0.0.1", std::to_string(data), "Dalvero", "", true, 30, ca);
    }
    std::unique_ptr<dbServerConnection> LoggedIn() const {
        return test::RealServer::ConnectDataAt(data, ca, "Dalvero", &test::RealServer::DemoAdministrator());
    }
    std::unique_ptr<dbServerConnection> Functions() const {
        return std::make_unique<dbServerConnection>("127.0.0.1", std::to_string(function), "", "", true, 30, ca);
    }
};

// What a planner does on starting the client: both connections, the log-in,
// a page of cases, one command. Milliseconds, or -1 on a failure.
double ClientSession(const Ports& ports) {
    const auto start = Clock::now();
    auto db = ports.LoggedIn();
    cRecordBatch cases;
    auto fn = ports.Functions();
    const bool ok = db->IsConnected() && !db->Key.empty() &&
                    cases.Query(db.get(), "Cases", "L1", "", "", 0, 50, "f10,f22", "", "", "F") &&
                    fn->IsConnected() &&
                    fn->SendText("{ServerCommand:getcaseneedstatus,Session:" + db->Key + ",SeqList:1}") &&
                    fn->ReplyText.find("StatusList") != std::string::npos;
    return ok ? std::chrono::duration<double, std::milli>(Clock::now() - start).count() : -1;
}

}  // namespace

int main() {
    StartTls();
    const fs::path dir = test::RealServer::CopyDataFolder(test::RealServer::Demo);
    Ports ports{test::ClosedPort(), test::ClosedPort(), (dir / "tls" / "ca.pem").string()};
    IniFile ini;
    ini.LoadFromFile((dir / "server.ini").string());
    ini.WriteString("DataServer", "Port", std::to_string(ports.data));
    ini.WriteString("FunctionServer", "Port", std::to_string(ports.function));
    ini.SaveToFile((dir / "server.ini").string(), 0600);

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::freopen("/dev/null", "w", stderr);
        ::execl(DALVERO_SERVER_EXE, DALVERO_SERVER_EXE, "run", dir.c_str(), nullptr);
        ::_exit(127);
    }
    for (int i = 0; i < 200 && !ports.Data()->IsConnected(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));

    const long rssBefore = RssKb(pid);
    const double alone = ClientSession(ports);
    std::vector<std::unique_ptr<dbServerConnection>> idle;
    for (int i = 0; i < 150; ++i) {
        idle.push_back(ports.Data());
        idle.push_back(ports.Functions());
    }
    std::vector<std::unique_ptr<test::RawConnection>> silent;
    for (int i = 0; i < 300; ++i) {
        silent.push_back(std::make_unique<test::RawConnection>(ports.data));
        silent.push_back(std::make_unique<test::RawConnection>(ports.function));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const double crowded = ClientSession(ports);
    const long rssCrowded = RssKb(pid);

    std::printf("client session alone:                      %8.1f ms\n", alone);
    std::printf("client session, 600 silent + 300 idle:     %8.1f ms (target: under 1000)\n", crowded);
    std::printf("server RSS before / with the crowd:        %8ld / %ld KB\n", rssBefore, rssCrowded);

    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return alone < 0 || crowded < 0 ? 1 : 0;
}
