// The client's handling of what a server sends: the input is the whole byte
// stream a server answers with, read by the record operations, a paged
// query, a function command and a file download in turn.

#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "db_server_connection.h"
#include "function_commands.h"
#include "json_node.h"
#include "plain_socket.h"
#include "record_batch.h"
#include "record_ops.h"

namespace {

using namespace dalvero;

// Larger inputs would not fit the socket's buffer before the client reads.
constexpr std::size_t kMaxInput = 100'000;

void ReadEveryField(cRecordBatch& batch) {
    if (!batch.Set) return;
    for (int i = 0; i < batch.Set->Count; ++i) {
        batch.Set->GoTo(i);
        for (const std::string& name : batch.Set->FieldNames) batch.Set->ReadField(name);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInput) return 0;
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return 0;
    // The server's side: everything it will ever say, then the end.
    for (std::size_t sent = 0; sent < size;) {
        const ssize_t n = write(fds[1], data + sent, size - sent);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
    }
    shutdown(fds[1], SHUT_WR);

    // Port 0 refuses at once, so the constructor and any reconnection fail
    // fast; the request stream is the socket pair.
    dbServerConnection db("127.0.0.1", "0", "", "", false, 1);
    db.Socket = std::make_unique<PlainSocket>();
    db.Socket->Attach(fds[0], false);
    db.Connected = true;

    StringList values;
    ReadRecord(db, "Cases", "1", values, "P=Patients:f10", "P12");
    std::string result;
    GetRecordFields(db, "Cases", "1", "f10,f1001,P12", result, "P=Patients:f10");
    std::string fields = "f1,f22";
    FindRecordFields(db, "Cases", 7, "C-100", "1", fields);
    AddRecord(db, "Patients", StringList{"f10=Ann"});
    UpdateRecord(db, "Patients", "1", StringList{"f10=Ann"});

    cRecordBatch batch;
    batch.Query(&db, "Cases", "L4", "1", "", 0, 5, "*", "", "", "F");
    ReadEveryField(batch);
    batch.NextPage();
    ReadEveryField(batch);
    batch.PriorPage();
    batch.LastPage();
    ReadEveryField(batch);

    cJsonNode request;
    BuildGetCaseStatus(request, {"1", "2"});
    RunFunctionCommand(db, request);

    db.GetFileInfo("Clients\\Dalvero");
    const std::string local =
        (std::filesystem::temp_directory_path() / ("dalvero-fuzz-download-" + std::to_string(getpid()))).string();
    db.DownloadFile("Clients\\Dalvero", local);
    std::filesystem::remove(local);

    db.Socket.reset();
    close(fds[1]);
    return 0;
}
