#pragma once
// A blocking TCP stream socket with a 64 KiB receive buffer. Every input and
// output operation answers with a result code; receive operations wait for
// data with a time-out (seconds -1: no limit) and never switch the socket to
// non-blocking mode. SecureSocket runs the same operations over TLS by
// replacing only those that touch the wire.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace dalvero {

// Result codes; a receive operation returns its byte count (0 or more) instead
// of SOCK_SUCCESS.
inline constexpr int SOCK_SUCCESS = 0;
inline constexpr int SOCK_ERROR = -1;
inline constexpr int SOCK_TIMEOUT = -2;
inline constexpr int SOCK_DISCONNECTED = -3;

inline constexpr int SOCK_STATE_CONNECTED = 1;
inline constexpr int SOCK_STATE_IDLE = 0;
// A receive failed for a reason other than the peer going away. Close keeps
// this state; only Connect or Attach leave it.
inline constexpr int SOCK_STATE_ERROR = -1;

// True when host is a dotted IPv4 address, which is used as it is and never
// looked up by name.
bool IsDottedAddress(const std::string& host);

class PlainSocket {
public:
    static constexpr std::size_t kBufferSize = 65'536;
    // The byte after the buffered data is always 0, so one byte stays free.
    static constexpr std::size_t kMaxBuffered = kBufferSize - 1;
    static constexpr std::size_t kMaxHostLength = 127;

    // Raises SocketError("PlainSocket::Init()::recv_buffer allocate failed").
    PlainSocket();
    virtual ~PlainSocket();
    PlainSocket(const PlainSocket&) = delete;
    PlainSocket& operator=(const PlainSocket&) = delete;

    // IPv4 only. An unknown host, a host name over 127 characters or a failed
    // connect gives SOCK_TIMEOUT.
    virtual int Connect(const std::string& host, int port);
    virtual void Close();
    // Longest time one blocking send, connect or library read may stall
    // (0: no limit); applied to every descriptor this socket opens. A peer
    // that stops reading or never finishes a TLS handshake must not hang
    // the caller.
    void SetStallLimit(int seconds) { stallSeconds_ = seconds; }
    // Adopts an accepted descriptor. With keepOpen the object never shuts
    // down or closes it; otherwise it owns it from now on.
    virtual int Attach(int fd, bool keepOpen);

    int Send(std::string_view text);
    // Blocks until everything is sent. length 0: buffer is a zero-terminated
    // text and its length is taken.
    virtual int Send(const void* buffer, std::size_t length);

    // Up to max bytes into buffer, which must hold max + 1 since a 0 follows
    // the bytes placed: through the zero byte when it came (the count
    // includes it); 0 when max bytes came without it; a time-out or a
    // disconnection as its code, with what had come placed.
    int ReceiveUntilNul(char* buffer, std::size_t max, int seconds, int microseconds);
    // Places up to length bytes; a time-out or a disconnection shows only as a
    // short count (State tells them apart).
    int Receive(char* buffer, std::size_t length, int seconds, int microseconds);

    // A zero-time poll: bytes that arrived are buffered and a peer that has
    // closed is noticed.
    bool IsConnected();

    int State() const { return state_; }
    int Handle() const { return fd_; }

protected:
    // 0 when connected; -1 for an unknown or over-long host, a port out of
    // range or a failed connect (nothing is left open then).
    int TCPConnect(const std::string& host, int port);
    void ApplySocketOptions();
    // Shuts down and closes the descriptor unless it is kept open; the object
    // forgets it either way.
    void CloseHandle();
    // Input already decoded and waiting inside a library layer, where the
    // operating system's readiness cannot see it.
    virtual bool HasBufferedInput() const { return false; }
    // Reads what the wire holds into the buffer: the count placed (the
    // buffered count when the buffer is full) or a result code.
    virtual int ReceiveIntoBuffer();

    int fd_ = -1;
    std::string host_;
    int state_ = SOCK_STATE_IDLE;
    std::unique_ptr<char[]> buffer_;
    std::size_t received_ = 0;
    bool keepOpen_ = false;
    int stallSeconds_ = 0;

private:
    // Takes up to max bytes off the front of the buffer into destination;
    // the count taken.
    std::size_t TakeBuffered(char* destination, std::size_t max);
    // The buffered count when data is held and force is false; otherwise
    // waits and receives into the buffer.
    int WaitForData(bool force, int seconds, int microseconds);
    // 1 readable, 0 time-out, -1 failure; unlimited ignores the deadline.
    int WaitReadable(std::chrono::steady_clock::time_point deadline, bool unlimited);
};

}  // namespace dalvero
