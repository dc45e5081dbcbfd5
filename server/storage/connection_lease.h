#pragma once
// The connection a thread holds of a storage while it works in it, so that
// every call made inside a transaction runs on that transaction's
// connection: the outermost lease of a thread borrows one from the storage's
// pool (Owner::Acquire) and gives it back (Owner::Release) when it ends; the
// leases inside it share it.

#include <algorithm>
#include <memory>
#include <vector>

namespace dalvero::server {

template <typename Owner, typename Connection>
class ConnectionLease {
public:
    explicit ConnectionLease(Owner& owner) : owner_(owner) {
        connection_ = Held(owner);
        if (connection_) return;
        owned_ = owner.Acquire();
        connection_ = owned_.get();
        Threads().push_back({&owner, connection_});
    }
    ~ConnectionLease() {
        if (!owned_) return;
        std::erase_if(Threads(), [this](const Entry& entry) { return entry.connection == connection_; });
        owner_.Release(std::move(owned_));
    }
    ConnectionLease(const ConnectionLease&) = delete;
    ConnectionLease& operator=(const ConnectionLease&) = delete;

    Connection& operator*() const { return *connection_; }

    // The connection the calling thread holds of owner; null when none.
    static Connection* Held(const Owner& owner) {
        for (const Entry& entry : Threads())
            if (entry.owner == &owner) return entry.connection;
        return nullptr;
    }
    // Makes connection the calling thread's own of owner for good (a writer
    // thread's).
    static void Adopt(const Owner& owner, Connection* connection) { Threads().push_back({&owner, connection}); }

private:
    struct Entry {
        const Owner* owner;
        Connection* connection;
    };
    static std::vector<Entry>& Threads() {
        thread_local std::vector<Entry> entries;
        return entries;
    }

    Owner& owner_;
    std::unique_ptr<Connection> owned_;
    Connection* connection_ = nullptr;
};

}  // namespace dalvero::server
