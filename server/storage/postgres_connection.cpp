#include "postgres_connection.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
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

// A statement's bound values as libpq takes them.
struct Bound {
    std::vector<Oid> types;
    std::vector<const char*> values;
    std::vector<int> lengths;
    std::vector<int> formats;
};

// What a pipeline answered: the statement's result, whether its prepare
// (when fresh) succeeded, and the first failure of any statement in it.
struct PipelineAnswer {
    Result result;
    bool prepared = false;
    std::string failure;
};

// Sends the held-back statements, the statement (prepared first when
// fresh) and a sync as one pipeline, one round trip, and reads every answer
// up to the sync, also after a failure, so the connection leaves pipeline
// mode in order. A connection that breaks on the way throws and stays in
// pipeline mode, and so is not lent again.
PipelineAnswer RunPipelined(pg_conn* conn, const std::vector<std::string>& deferred, const std::string& name,
                            bool fresh, const SqlText& statement, const Bound& bound) {
    const int count = static_cast<int>(bound.values.size());
    bool sent = PQenterPipelineMode(conn) == 1;
    for (const std::string& held : deferred)
        sent = sent && PQsendQueryParams(conn, held.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
    if (fresh)
        sent = sent && PQsendPrepare(conn, name.c_str(), statement.sql.c_str(), count, bound.types.data()) == 1;
    sent = sent && PQsendQueryPrepared(conn, name.c_str(), count, bound.values.data(), bound.lengths.data(),
                                       bound.formats.data(), 0) == 1;
    sent = sent && PQpipelineSync(conn) == 1;
    if (!sent) throw StorageError("query: " + Message(conn));
    PipelineAnswer answer;
    const std::size_t answers = deferred.size() + (fresh ? 2 : 1);
    for (std::size_t i = 0; i < answers; ++i) {
        Result result(PQgetResult(conn));
        if (!result) throw StorageError("query: " + Message(conn));
        const ExecStatusType status = PQresultStatus(result.get());
        if (status == PGRES_FATAL_ERROR && answer.failure.empty()) answer.failure = PQresultErrorMessage(result.get());
        if (fresh && i == deferred.size()) answer.prepared = status == PGRES_COMMAND_OK;
        // Each statement's answer ends with a null one.
        if (Result extra{PQgetResult(conn)}) throw StorageError("query: an answer out of order");
        answer.result = std::move(result);
    }
    const Result sync(PQgetResult(conn));
    if (!sync || PQresultStatus(sync.get()) != PGRES_PIPELINE_SYNC || PQexitPipelineMode(conn) != 1)
        throw StorageError("query: " + Message(conn));
    return answer;
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

void PostgresConnection::Execute(const std::string& sql) {
    std::string text;
    for (const std::string& held : deferred_) text += held + "; ";
    deferred_.clear();
    text += sql;
    Check(conn_, PQexec(conn_, text.c_str()), "PostgreSQL");
}

void PostgresConnection::Defer(std::string statement) { deferred_.push_back(std::move(statement)); }

bool PostgresConnection::Withdraw(const std::string& statement) noexcept {
    const auto found = std::find(deferred_.rbegin(), deferred_.rend(), statement);
    deferred_.erase(found == deferred_.rend() ? deferred_.begin() : std::prev(found.base()), deferred_.end());
    return found != deferred_.rend();
}

std::unique_ptr<SqlRows> PostgresConnection::Query(const SqlText& statement) {
    const std::size_t count = statement.values.size();
    Bound bound{std::vector<Oid>(count), std::vector<const char*>(count), std::vector<int>(count),
                std::vector<int>(count)};
    std::vector<std::string> texts(count);
    std::string key = statement.sql + '\x1f';
    for (std::size_t i = 0; i < count; ++i) {
        const SqlValue& value = statement.values[i];
        if (const auto* blob = std::get_if<SqlBlob>(&value)) {
            bound.types[i] = kBytea;
            bound.values[i] = blob->bytes.data() ? blob->bytes.data() : "";
            bound.lengths[i] = static_cast<int>(blob->bytes.size());
            bound.formats[i] = 1;
        } else {
            const auto* number = std::get_if<std::int64_t>(&value);
            bound.types[i] = number ? kBigint : kText;
            texts[i] = number ? std::to_string(*number) : std::get<std::string>(value);
            bound.values[i] = texts[i].c_str();
        }
        key += bound.types[i] == kText ? 't' : bound.types[i] == kBigint ? 'i' : 'b';
    }
    auto found = prepared_.find(key);
    const bool fresh = found == prepared_.end();
    // Updates of changing field sets would grow the cache without bound.
    if (fresh && prepared_.size() >= kMaxPrepared) {
        Execute("DEALLOCATE ALL");
        prepared_.clear();
    }
    const std::string name = fresh ? "s" + std::to_string(prepared_.size()) : found->second;
    if (deferred_.empty()) {
        if (fresh) {
            Check(conn_,
                  PQprepare(conn_, name.c_str(), statement.sql.c_str(), static_cast<int>(count), bound.types.data()),
                  "prepare");
            prepared_.emplace(std::move(key), name);
        }
        return std::make_unique<PostgresRows>(
            Check(conn_,
                  PQexecPrepared(conn_, name.c_str(), static_cast<int>(count), bound.values.data(),
                                 bound.lengths.data(), bound.formats.data(), 0),
                  "query"));
    }
    std::vector<std::string> deferred;
    deferred.swap(deferred_);
    PipelineAnswer answer = RunPipelined(conn_, deferred, name, fresh, statement, bound);
    if (answer.prepared) prepared_.emplace(std::move(key), name);
    if (!answer.failure.empty()) throw StorageError("query: " + answer.failure);
    return std::make_unique<PostgresRows>(std::move(answer.result));
}

bool PostgresConnection::Reusable() const {
    return PQstatus(conn_) == CONNECTION_OK && PQtransactionStatus(conn_) == PQTRANS_IDLE &&
           PQpipelineStatus(conn_) == PQ_PIPELINE_OFF && deferred_.empty();
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
