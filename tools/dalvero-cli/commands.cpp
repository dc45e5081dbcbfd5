#include "commands.h"

namespace dalvero::cli {

const std::vector<CommandDef>& AllCommands() {
    static const std::vector<CommandDef> commands = [] {
        std::vector<CommandDef> all = RecordCommands();
        for (auto group : {BulkCommands(), FileCommands(), FunctionCommands(), AuditCommands(), ReportCommands(),
                           InteropCommands(), AccountCommands()})
            all.insert(all.end(), group.begin(), group.end());
        return all;
    }();
    return commands;
}

}  // namespace dalvero::cli
