#include "Vxi11Server.h"

#include "ScpiServer.h"
#include "vxi11_core.h"

#include <rpc/pmap_clnt.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <set>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kServeIntervalMs = 200;
constexpr std::uint32_t kRecordOverhead = 64 * 1024;
// What libtirpc reads and writes a record through: large, so a block takes few calls.
constexpr u_int kRecordBufferBytes = 256 * 1024;
constexpr int kRpcbindPort = 111;

// libtirpc calls a plain function; awg-sim runs one VXI-11 server.
Vxi11Server* current = nullptr;

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

void CloseIfOpen(int& descriptor) {
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
}

// Asked before registering, so that a missing rpcbind is named at once instead of after
// libtirpc's retries.
bool RpcbindListens() {
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kRpcbindPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool listens = socket >= 0 && ::connect(socket, reinterpret_cast<sockaddr*>(&address),
                                                  sizeof address) == 0;
    if (socket >= 0) {
        ::close(socket);
    }
    return listens;
}

bool_t EncodeNothing(XDR*, void*) {
    return TRUE;
}

// A device_write decoded straight into its link instead of into a buffer of its own: the
// generated decoder would first take memory for a block of any announced length and then
// copy it. A write beyond one message's worth is refused before any of it is read.
struct WriteIntoLink {
    Device_WriteParms parameters{};
    Vxi11Links::Written written;
    int socket = -1;
};

// Wakes the server only once `bytes` have come, not for every piece the client's RPC
// library writes (64 KiB): each wake-up costs the sending side too. Never more than will
// still come, or the read would wait for bytes that are not sent.
void WakeAfter(int socket, std::size_t bytes) {
    const int mark = static_cast<int>(std::clamp<std::size_t>(bytes, 1, kRecordBufferBytes));
    ::setsockopt(socket, SOL_SOCKET, SO_RCVLOWAT, &mark, sizeof mark);
}

// Reads count bytes of a block whose length bytes are `left` from here on, a buffer at a
// time: before each, the wake-up mark is what must still come even if the library's
// buffer already holds a whole buffer of them.
bool_t ReadBlockPiece(XDR* xdrs, int socket, char* into, std::size_t count, std::size_t left) {
    while (count > 0) {
        const std::size_t piece = std::min<std::size_t>(count, kRecordBufferBytes);
        WakeAfter(socket, left > 2 * kRecordBufferBytes ? left - 2 * kRecordBufferBytes : 1);
        if (!XDR_GETBYTES(xdrs, into, static_cast<u_int>(piece))) {
            return FALSE;
        }
        into += piece;
        count -= piece;
        left -= piece;
    }
    return TRUE;
}

bool_t DecodeWriteIntoLink(XDR* xdrs, WriteIntoLink* write) {
    Device_WriteParms& parameters = write->parameters;
    u_int length = 0;
    if (!xdr_Device_Link(xdrs, &parameters.lid) || !xdr_u_long(xdrs, &parameters.io_timeout) ||
        !xdr_u_long(xdrs, &parameters.lock_timeout) || !xdr_Device_Flags(xdrs, &parameters.flags) ||
        !xdr_u_int(xdrs, &length) || length > current->MaxRecordBytes()) {
        return FALSE;
    }
    bool complete = true;
    std::size_t consumed = 0;
    write->written = current->Links().Write(
        parameters.lid, length, parameters.flags, [&](char* into, std::size_t count) {
            complete =
                complete && ReadBlockPiece(xdrs, write->socket, into, count, length - consumed);
            consumed += count;
            return complete;
        });
    WakeAfter(write->socket, 1);
    // The rest of a write the link could not take is read and dropped, as is the padding.
    std::size_t left = length - consumed + (4 - length % 4) % 4;
    char skipped[4096];
    while (complete && left > 0) {
        const std::size_t count = std::min(left, sizeof skipped);
        complete = XDR_GETBYTES(xdrs, skipped, static_cast<u_int>(count));
        left -= count;
    }
    return complete;
}

template <typename Arguments>
bool Decode(SVCXPRT* transport, xdrproc_t decoder, Arguments& arguments) {
    std::memset(&arguments, 0, sizeof arguments);
    if (!svc_getargs(transport, decoder, reinterpret_cast<char*>(&arguments))) {
        svcerr_decode(transport);
        return false;
    }
    return true;
}

template <typename Arguments, typename Result>
void Reply(SVCXPRT* transport, xdrproc_t decoder, Arguments& arguments, xdrproc_t encoder,
           Result& result) {
    svc_sendreply(transport, encoder, reinterpret_cast<char*>(&result));
    svc_freeargs(transport, decoder, reinterpret_cast<char*>(&arguments));
}

void CreateLink(SVCXPRT* transport, Vxi11Server& server) {
    Create_LinkParms arguments;
    if (!Decode(transport, reinterpret_cast<xdrproc_t>(xdr_Create_LinkParms), arguments)) {
        return;
    }
    const auto created =
        server.Links().Create(arguments.device ? arguments.device : "", transport->xp_fd);
    Create_LinkResp result{};
    result.error = created.error;
    result.lid = created.link;
    result.abortPort = 0;
    result.maxRecvSize = server.MaxRecordBytes() - kRecordOverhead;
    Reply(transport, reinterpret_cast<xdrproc_t>(xdr_Create_LinkParms), arguments,
          reinterpret_cast<xdrproc_t>(xdr_Create_LinkResp), result);
}

void DeviceWrite(SVCXPRT* transport) {
    WriteIntoLink write;
    write.socket = transport->xp_fd;
    if (!svc_getargs(transport, reinterpret_cast<xdrproc_t>(DecodeWriteIntoLink),
                     reinterpret_cast<char*>(&write))) {
        svcerr_decode(transport);
        return;
    }
    Device_WriteResp result{};
    result.error = write.written.error;
    result.size = write.written.size;
    svc_sendreply(transport, reinterpret_cast<xdrproc_t>(xdr_Device_WriteResp),
                  reinterpret_cast<char*>(&result));
}

void DeviceRead(SVCXPRT* transport, Vxi11Server& server) {
    Device_ReadParms arguments;
    if (!Decode(transport, reinterpret_cast<xdrproc_t>(xdr_Device_ReadParms), arguments)) {
        return;
    }
    // A reply must fit in what the client takes and in one record.
    const std::size_t most =
        std::min<std::size_t>(arguments.requestSize, server.MaxRecordBytes() - kRecordOverhead);
    auto read = server.Links().ReadAnswer(arguments.lid, most, arguments.flags, arguments.termChar);
    Device_ReadResp result{};
    result.error = read.error;
    result.reason = read.reason;
    result.data.data_len = static_cast<u_int>(read.data.size());
    result.data.data_val = read.data.data();
    Reply(transport, reinterpret_cast<xdrproc_t>(xdr_Device_ReadParms), arguments,
          reinterpret_cast<xdrproc_t>(xdr_Device_ReadResp), result);
}

// The procedures on one link that answer only a Device_Error.
void LinkProcedure(SVCXPRT* transport, Vxi11Server& server, u_long procedure) {
    Device_GenericParms generic;
    Device_Link link = 0;
    const bool byLink = procedure == destroy_link || procedure == device_unlock;
    const auto decoder = byLink ? reinterpret_cast<xdrproc_t>(xdr_Device_Link)
                                : reinterpret_cast<xdrproc_t>(xdr_Device_GenericParms);
    const bool decoded =
        byLink ? Decode(transport, decoder, link) : Decode(transport, decoder, generic);
    if (!decoded) {
        return;
    }
    Device_Error result{};
    if (procedure == destroy_link) {
        result.error = server.Links().Destroy(link);
    } else if (procedure == device_clear) {
        result.error = server.Links().Clear(generic.lid);
    } else {
        result.error = 8; // operation not supported
    }
    if (byLink) {
        Reply(transport, decoder, link, reinterpret_cast<xdrproc_t>(xdr_Device_Error), result);
    } else {
        Reply(transport, decoder, generic, reinterpret_cast<xdrproc_t>(xdr_Device_Error), result);
    }
}

void Dispatch(svc_req* request, SVCXPRT* transport) {
    Vxi11Server& server = *current;
    switch (request->rq_proc) {
    case NULLPROC:
        svc_sendreply(transport, reinterpret_cast<xdrproc_t>(EncodeNothing), nullptr);
        return;
    case create_link:
        return CreateLink(transport, server);
    case device_write:
        return DeviceWrite(transport);
    case device_read:
        return DeviceRead(transport, server);
    case device_clear:
    case device_trigger:
    case device_remote:
    case device_local:
    case device_unlock:
    case destroy_link:
        return LinkProcedure(transport, server, request->rq_proc);
    default:
        svcerr_noproc(transport);
    }
}

} // namespace

Vxi11Server::Vxi11Server(ScpiServer& server)
    : server_(server), links_(server.Instrument(), server.Commands(), &server.SharedInputBlocks(),
                              &server.SharedOutputBlocks(), server.CurrentOptions().maxClients) {}

Vxi11Server::~Vxi11Server() {
    Stop();
}

bool Vxi11Server::Start(std::string& error) {
    if (current != nullptr) {
        error = "one VXI-11 server per process";
        return false;
    }
    if (!RpcbindListens()) {
        error = "rpcbind does not answer on port 111: VXI-11 clients find the instrument through "
                "it (start it with rpcbind -w)";
        return false;
    }
    const std::uint64_t record =
        server_.Instrument().MaxMessageBlockBytes() + std::uint64_t{2} * kRecordOverhead;
    maxRecord_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(record, INT_MAX));

    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (::inet_pton(AF_INET, server_.BindAddress().c_str(), &address.sin_addr) != 1) {
        error = "not an IPv4 address: " + server_.BindAddress();
        return false;
    }
    listenSocket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenSocket_ < 0 ||
        ::bind(listenSocket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenSocket_, SOMAXCONN) != 0) {
        error = SystemError("cannot listen for VXI-11");
        CloseIfOpen(listenSocket_);
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(listenSocket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    SVCXPRT* listener = svc_vc_create(listenSocket_, kRecordBufferBytes, kRecordBufferBytes);
    if (listener == nullptr ||
        !svc_register(listener, DEVICE_CORE, DEVICE_CORE_VERSION, Dispatch, 0)) {
        error = "cannot create the VXI-11 service";
        CloseIfOpen(listenSocket_);
        return false;
    }
    listener_ = listener;
    current = this;
    // A registration left by a simulator that was killed points nowhere: this one replaces it.
    pmap_unset(DEVICE_CORE, DEVICE_CORE_VERSION);
    if (!pmap_set(DEVICE_CORE, DEVICE_CORE_VERSION, IPPROTO_TCP, port_)) {
        error = "rpcbind refused the VXI-11 registration";
        Stop();
        return false;
    }
    registered_ = true;
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC) != 0) {
        error = SystemError("pipe");
        Stop();
        return false;
    }
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void Vxi11Server::Stop() {
    if (listener_ == nullptr) {
        return;
    }
    stopping_ = true;
    if (wakeWrite_ >= 0) {
        const char byte = 's';
        [[maybe_unused]] const ssize_t written = ::write(wakeWrite_, &byte, 1);
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    // Only while the registration is still this server's: a later simulator may own it now.
    sockaddr_in rpcbind{};
    rpcbind.sin_family = AF_INET;
    rpcbind.sin_port = htons(kRpcbindPort);
    rpcbind.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (registered_ &&
        pmap_getport(&rpcbind, DEVICE_CORE, DEVICE_CORE_VERSION, IPPROTO_TCP) == port_) {
        pmap_unset(DEVICE_CORE, DEVICE_CORE_VERSION);
    }
    registered_ = false;
    svc_unregister(DEVICE_CORE, DEVICE_CORE_VERSION);
    for (const auto& [descriptor, since] : lastActivity_) {
        ::shutdown(descriptor, SHUT_RDWR);
    }
    svc_destroy(static_cast<SVCXPRT*>(listener_));
    listener_ = nullptr;
    listenSocket_ = -1; // closed with the listener
    CloseIfOpen(wakeRead_);
    CloseIfOpen(wakeWrite_);
    current = nullptr;
}

void Vxi11Server::Serve() {
    std::vector<pollfd> watched;
    while (!stopping_) {
        // libtirpc's table first, as svc_getreq_poll reads it by position; the wake pipe last.
        watched.assign(svc_pollfd, svc_pollfd + svc_max_pollfd);
        watched.push_back({wakeRead_, POLLIN, 0});
        for (pollfd& entry : watched) {
            entry.revents = 0;
        }
        const int ready = ::poll(watched.data(), watched.size(), kServeIntervalMs);
        if (stopping_) {
            break;
        }
        if (ready > 0) {
            int served = 0;
            for (int i = 0; i < svc_max_pollfd; ++i) {
                if (watched[static_cast<std::size_t>(i)].revents != 0) {
                    ++served;
                    NoteActivity(watched[static_cast<std::size_t>(i)].fd);
                }
            }
            if (served > 0) {
                svc_getreq_poll(watched.data(), served);
            }
        }
        ForgetClosedConnections();
        CloseIdleConnections();
    }
}

void Vxi11Server::NoteActivity(int descriptor) {
    if (descriptor >= 0 && descriptor != listenSocket_) {
        lastActivity_[descriptor] = std::chrono::steady_clock::now();
    }
}

// A connection libtirpc closed (the client left, or was closed as idle or beyond the
// limit) takes its links with it.
void Vxi11Server::ForgetClosedConnections() {
    std::set<int> open;
    for (int i = 0; i < svc_max_pollfd; ++i) {
        if (svc_pollfd[i].fd >= 0 && svc_pollfd[i].fd != listenSocket_) {
            open.insert(svc_pollfd[i].fd);
            const bool fresh =
                lastActivity_.try_emplace(svc_pollfd[i].fd, std::chrono::steady_clock::now())
                    .second;
            // Beyond the connection limit a new connection is closed before it costs more.
            if (fresh && lastActivity_.size() > server_.CurrentOptions().maxClients) {
                ::shutdown(svc_pollfd[i].fd, SHUT_RDWR);
            }
        }
    }
    for (auto it = lastActivity_.begin(); it != lastActivity_.end();) {
        if (open.count(it->first) == 0) {
            links_.DropLinksOf(it->first);
            it = lastActivity_.erase(it);
        } else {
            ++it;
        }
    }
}

void Vxi11Server::CloseIdleConnections() {
    const auto idle = server_.CurrentOptions().idleTimeout;
    if (idle.count() <= 0) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    for (const auto& [descriptor, since] : lastActivity_) {
        // libtirpc sees the end of the stream and closes the connection itself.
        if (now - since > idle) {
            ::shutdown(descriptor, SHUT_RDWR);
        }
    }
}
