#pragma once
// A demo server on loopback whose server.ini is changed before it starts,
// for limits too large or too slow to reach with the defaults.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "db_server_connection.h"
#include "ini_file.h"
#include "real_server.h"
#include "server_instance.h"

namespace dalvero::test {

struct Setting {
    std::string section;
    std::string key;
    std::string value;
};

class TunedServer {
public:
    explicit TunedServer(const std::vector<Setting>& settings)
        : dir_(RealServer::CopyDataFolder(RealServer::Demo)) {
        IniFile ini;
        ini.LoadFromFile((dir_ / "server.ini").string());
        for (const Setting& s : settings) ini.WriteString(s.section, s.key, s.value);
        ini.SaveToFile((dir_ / "server.ini").string(), 0600);
        instance_ = std::make_unique<server::ServerInstance>(dir_, 0, 0);
    }
    ~TunedServer() {
        instance_.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    server::ServerInstance& Instance() { return *instance_; }
    // Serves the same folder again, on new free ports.
    void Restart() {
        instance_.reset();
        instance_ = std::make_unique<server::ServerInstance>(dir_, 0, 0);
    }
    const std::filesystem::path& DataDir() const { return dir_; }
    std::string CaFile() const { return instance_->Config().caFile.string(); }
    // Logged in as the demo administrator, or as `as`.
    std::unique_ptr<dbServerConnection> ConnectData(const server::DemoLogin* as = nullptr) const {
        return RealServer::ConnectDataAt(instance_->DataPort(), CaFile(), "Dalvero",
                                         as ? as : &RealServer::DemoAdministrator());
    }

private:
    std::filesystem::path dir_;
    std::unique_ptr<server::ServerInstance> instance_;
};

}  // namespace dalvero::test
