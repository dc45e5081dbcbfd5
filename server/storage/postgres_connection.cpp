#include "postgres_connection.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <vector>

namespace dalvero::server {

namespace {

// Type numbers of the parameters (pg_type), so that a statement's plan never
// depends on how a value happens to read.
constexpr Oid kText = 25;
constexpr Oid kBigint = 20;
constexpr Oid kBytea = 17;
constexpr std::size_t kMaxPrepared = 256;

std::string Message(pg_conn* conn) {
    std::string text = conn ? PQerrorMessage(conn) : "out of memory";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

struct ResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

class PostgresRows final : public SqlRows {
public:
    explicit PostgresRows(Result result) : result_(std::move(result)), rows_(PQntuples(result_.get())) {}

    bool Next() override { return ++row_ < rows_; }

    std::string Text(int column) const override {
        const char* value = PQgetvalue(result_.get(), row_, column);
        const int length = PQgetlength(result_.get(), row_, column);
        if (PQftype(result_.get(), column) != kBytea) return std::string(value, static_cast<std::size_t>(length));
        std::size_t size = 0;
        unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(value), &size);
        if (!bytes) throw StorageError("cannot read a stored file: out of memory");
        std::string content(reinterpret_cast<const char*>(bytes), size);
        PQfreemem(bytes);
        return content;
    }

    std::string_view View(int column) const override {
        const int length = PQgetlength(result_.get(), row_, column);
        return {PQgetvalue(result_.get(), row_, column), static_cast<std::size_t>(length)};
    }

    std::int64_t Int(int column) const override {
        return std::strtoll(PQgetvalue(result_.get(), row_, column), nullptr, 10);
    }

private:
    Result result_;
    int rows_;
    int row_ = -1;
};

Result Check(pg_conn* conn, PGresult* raw, const char* what) {
    Result result(raw);
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const std::string message = result ? PQresultErrorMessage(result.get()) : Message(conn);
        throw StorageError(std::string(what) + ": " + (message.empty() ? Message(conn) : message));
    }
    return result;
}

}  // namespace

PostgresConnection::PostgresConnection(const std::string& dsn, const std::string& password) {
    // The connection string comes first; what follows it wins over anything
    // it says.
    std::vector<const char*> keys{"dbname", "client_encoding", "application_name"};
    std::vector<const char*> values{dsn.c_str(), "UTF8", "dalvero-server"};
    if (!password.empty()) {
        keys.push_back("password");
        values.push_back(password.c_str());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    conn_ = PQconnectdbParams(keys.data(), values.data(), 1);
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
        const std::string message = Message(conn_);
        PQfinish(conn_);
        conn_ = nullptr;
        throw StorageError("cannot connect to the PostgreSQL database: " + message);
    }
    // Failures are reported through exceptions, not printed by libpq.
    PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
}

PostgresConnection::~PostgresConnection() { PQfinish(conn_); }

void PostgresConnection::Execute(const std::string& sql) { Check(conn_, PQexec(conn_, sql.c_str()), "PostgreSQL"); }

std::unique_ptr<SqlRows> PostgresConnection::Query(const SqlText& statement) {
    const std::size_t count = statement.values.size();
    std::vector<Oid> types(count);
    std::vector<std::string> texts(count);
    std::vector<const char*> values(count);
    std::vector<int> lengths(count);
    std::vector<int> formats(count);
    std::string key = statement.sql + '\x1f';
    for (std::size_t i = 0; i < count; ++i) {
        const SqlValue& value = statement.values[i];
        if (const auto* blob = std::get_if<SqlBlob>(&value)) {
            types[i] = kBytea;
            values[i] = blob->bytes.data() ? blob->bytes.data() : "";
            lengths[i] = static_cast<int>(blob->bytes.size());
            formats[i] = 1;
        } else {
            const auto* number = std::get_if<std::int64_t>(&value);
            types[i] = number ? kBigint : kText;
            texts[i] = number ? std::to_string(*number) : std::get<std::string>(value);
            values[i] = texts[i].c_str();
        }
        key += types[i] == kText ? 't' : types[i] == kBigint ? 'i' : 'b';
    }
    auto found = prepared_.find(key);
    if (found == prepared_.end()) {
        // Updates of changing field sets would grow the cache without bound.
        if (prepared_.size() >= kMaxPrepared) {
            Execute("DEALLOCATE ALL");
            prepared_.clear();
        }
        const std::string name = "s" + std::to_string(prepared_.size());
        Check(conn_, PQprepare(conn_, name.c_str(), statement.sql.c_str(), static_cast<int>(count), types.data()),
              "prepare");
        found = prepared_.emplace(std::move(key), name).first;
    }
    Result result = Check(conn_,
                          PQexecPrepared(conn_, found->second.c_str(), static_cast<int>(count), values.data(),
                                         lengths.data(), formats.data(), 0),
                          "query");
    return std::make_unique<PostgresRows>(std::move(result));
}

bool PostgresConnection::Reusable() const {
    return PQstatus(conn_) == CONNECTION_OK && PQtransactionStatus(conn_) == PQTRANS_IDLE;
}

std::string PostgresConnection::DescribeDsn(const std::string& dsn) {
    PQconninfoOption* options = PQconninfoParse(dsn.c_str(), nullptr);
    if (!options) return "(a connection string libpq cannot read)";
    std::string host = "local", port, database, user;
    for (PQconninfoOption* option = options; option->keyword; ++option) {
        if (!option->val) continue;
        const std::string keyword = option->keyword;
        if (keyword == "host" || keyword == "hostaddr") host = option->val;
        if (keyword == "port") port = option->val;
        if (keyword == "dbname") database = option->val;
        if (keyword == "user") user = option->val;
    }
    PQconninfoFree(options);
    return (user.empty() ? "" : user + "@") + host + (port.empty() ? "" : ":" + port) + "/" + database;
}

}  // namespace dalvero::server
