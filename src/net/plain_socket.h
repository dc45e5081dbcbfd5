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
    // Bytes waiting in the operating system (SOCK_ERROR unless connected).
    virtual int BytesAvailable();

    int Send(std::string_view text);
    // Blocks until everything is sent. length 0: buffer is a zero-terminated
    // text and its length is taken.
    virtual int Send(const void* buffer, std::size_t length);
    virtual int SendFile(const std::string& path);
    // Sends from the descriptor's current position to the end of the file.
    int SendFile(int fd);

    // Up to max bytes into text, ending with the delimiter when it came (the
    // count includes it); 0 when max bytes came without it.
    int ReceiveUntilNul(std::string& text, std::size_t max, int seconds, int microseconds);
    int ReceiveUntilChar(std::string& text, std::size_t max, char ch, int seconds, int microseconds);
    int ReceiveUntilString(std::string& text, std::size_t max, std::string_view delimiter, int seconds,
                           int microseconds);
    // Buffer forms: buffer must hold max + 1 bytes, since a 0 may follow the
    // max bytes placed.
    int ReceiveUntilNul(char* buffer, std::size_t max, int seconds, int microseconds);
    int ReceiveUntilChar(char* buffer, std::size_t max, char ch, int seconds, int microseconds);
    int ReceiveUntilString(char* buffer, std::size_t max, std::string_view delimiter, int seconds,
                           int microseconds);
    // Places up to length bytes; a time-out or a disconnection shows only as a
    // short count (State tells them apart).
    int Receive(char* buffer, std::size_t length, int seconds, int microseconds);

    // Adds bytes to the receive buffer as if they had been received.
    bool AppendToBuffer(const void* data, std::size_t n);
    struct FreeSpace {
        char* data;
        std::size_t room;
    };
    // For data written straight into the buffer: write into GetFreeSpace's
    // area, then CommitReceived the count.
    FreeSpace GetFreeSpace();
    void CommitReceived(std::size_t n);
    // Takes up to max bytes off the front of the buffer into destination,
    // followed by a 0 unless noTerminator.
    int ReadBuffered(char* destination, std::size_t max, bool noTerminator);
    // The buffered count when data is held and force is false; otherwise
    // waits and receives into the buffer.
    int WaitForData(bool force, int seconds, int microseconds);
    virtual int ReceiveIntoBuffer();

    // A zero-time poll: bytes that arrived are buffered and a peer that has
    // closed is noticed.
    bool IsConnected();

    int State() const { return state_; }
    int Handle() const { return fd_; }
    std::size_t BufferedCount() const { return received_; }
    // The buffered bytes, followed by a 0.
    const char* BufferedData() const { return buffer_.get(); }
    // Why the last Connect failed, for the person who must mend it
    // ("Connection refused", a certificate verification error); empty after
    // a connect that worked.
    const std::string& ConnectFailure() const { return connectFailure_; }
    bool FileTransferActive() const { return fileTransfer_; }
    std::uint64_t FileBytesDone() const { return fileDone_; }
    std::uint64_t FileBytesTotal() const { return fileTotal_; }

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

    int fd_ = -1;
    std::string host_;
    int state_ = SOCK_STATE_IDLE;
    std::unique_ptr<char[]> buffer_;
    std::size_t received_ = 0;
    bool keepOpen_ = false;
    int stallSeconds_ = 0;
    std::string connectFailure_;

private:
    int ReceiveUntil(char* buffer, std::size_t max, int seconds, int microseconds, std::string_view delimiter,
                     bool inText, int notConnected, bool terminateOverflow);
    // 1 readable, 0 time-out, -1 failure; unlimited ignores the deadline.
    int WaitReadable(std::chrono::steady_clock::time_point deadline, bool unlimited);

    bool fileTransfer_ = false;
    std::uint64_t fileDone_ = 0;
    std::uint64_t fileTotal_ = 0;
};

}  // namespace dalvero
