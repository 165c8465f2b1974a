#include "Vxi11Server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>
#include <vector>

#include "scpi/ScpiSimulator.h"

// The generated protocol header last: it defines the procedure names as macros.
#include <rpc/rpc.h>
// clang-format off
#include <rpc/pmap_prot.h>
// clang-format on

#include "vxi11.h"

extern "C" {
void device_core_1(struct svc_req* request, SVCXPRT* transport);
void device_async_1(struct svc_req* request, SVCXPRT* transport);
}

namespace kv::test {

namespace {

constexpr long kErrorNone = 0;
constexpr long kErrorNotAccessible = 3;
constexpr long kErrorInvalidLink = 4;
constexpr long kErrorIoTimeout = 15;
constexpr long kFlagEnd = 8;
constexpr long kReasonRequestSize = 1;
constexpr long kReasonEnd = 4;

bool WriteFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

// A socket bound to 127.0.0.1 (port 0: one the system picks); -1 on failure.
int Bound(int type, int port) {
    const int fd = ::socket(AF_INET, type, 0);
    if (fd < 0) {
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        (type == SOCK_STREAM && ::listen(fd, 8) != 0)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int PortOf(int fd) {
    sockaddr_in a{};
    socklen_t n = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    return ntohs(a.sin_port);
}

struct Link {
    std::string input;                // written bytes not yet ended by a newline
    std::deque<std::string> replies;  // whole replies, the first partly read from `offset`
    std::size_t offset = 0;
};

Vxi11Server* g_server = nullptr;
int g_corePort = 0;
std::map<long, Link> g_links;
long g_nextLid = 1;

// An XDR routine as the RPC library takes it (through void (*)(), which any function type casts
// to).
template <typename F>
xdrproc_t Xdr(F f) {
    return reinterpret_cast<xdrproc_t>(reinterpret_cast<void (*)()>(f));
}

// The portmapper: GETPORT knows the VXI-11 core channel over TCP; everything else is unknown.
void PortmapperDispatch(struct svc_req* request, SVCXPRT* transport) {
    switch (request->rq_proc) {
        case PMAPPROC_NULL:
            svc_sendreply(transport, Xdr(xdr_void), nullptr);
            return;
        case PMAPPROC_GETPORT: {
            pmap query{};
            if (!svc_getargs(transport, Xdr(xdr_pmap), reinterpret_cast<caddr_t>(&query))) {
                svcerr_decode(transport);
                return;
            }
            u_long port = query.pm_prog == DEVICE_CORE && query.pm_vers == DEVICE_CORE_VERSION &&
                                  query.pm_prot == IPPROTO_TCP
                              ? static_cast<u_long>(g_corePort)
                              : 0;
            svc_sendreply(transport, Xdr(xdr_u_long), reinterpret_cast<caddr_t>(&port));
            return;
        }
        default:
            svcerr_noproc(transport);
    }
}

}  // namespace

// The procedures the generated dispatch calls, with the server's state.
struct Vxi11ServerAccess {
    static Create_LinkResp* CreateLink(const Create_LinkParms& p) {
        static Create_LinkResp r;
        r = {};
        r.abortPort = static_cast<u_short>(g_server->abortPort_);
        r.maxRecvSize = 1u << 20;
        if (p.device == nullptr || std::strcmp(p.device, "inst0") != 0) {
            r.error = kErrorNotAccessible;
            return &r;
        }
        r.lid = g_nextLid++;
        g_links[r.lid] = Link{};
        ++g_server->linksCreated_;
        ++g_server->linksOpen_;
        return &r;
    }

    static Device_WriteResp* Write(const Device_WriteParms& p) {
        static Device_WriteResp r;
        r = {};
        const auto link = g_links.find(p.lid);
        if (link == g_links.end()) {
            r.error = kErrorInvalidLink;
            return &r;
        }
        Link& l = link->second;
        l.input.append(p.data.data_val, p.data.data_len);
        std::size_t nl;
        while ((nl = l.input.find('\n')) != std::string::npos ||
               ((p.flags & kFlagEnd) != 0 && !l.input.empty())) {
            const std::string message = l.input.substr(0, nl);
            l.input.erase(0, nl == std::string::npos ? std::string::npos : nl + 1);
            std::string reply = g_server->simulator_.Exchange(message);
            if (!reply.empty()) {
                l.replies.push_back(std::move(reply));
            }
        }
        r.size = p.data.data_len;
        return &r;
    }

    static Device_ReadResp* Read(const Device_ReadParms& p) {
        static Device_ReadResp r;
        static std::string piece;
        r = {};
        const auto link = g_links.find(p.lid);
        if (link == g_links.end()) {
            r.error = kErrorInvalidLink;
            return &r;
        }
        Link& l = link->second;
        if (g_server->holdReads_ || l.replies.empty()) {
            // Nothing to give within io_timeout: what a busy analyzer answers.
            std::this_thread::sleep_for(std::chrono::milliseconds(p.io_timeout));
            r.error = kErrorIoTimeout;
            return &r;
        }
        const std::string& reply = l.replies.front();
        const std::size_t left = reply.size() - l.offset;
        const std::size_t n = std::min<std::size_t>(
            {left, static_cast<std::size_t>(p.requestSize), g_server->pieceBytes_.load()});
        piece.assign(reply, l.offset, n);
        r.data.data_val = piece.data();
        r.data.data_len = static_cast<u_int>(n);
        l.offset += n;
        if (l.offset == reply.size()) {
            r.reason = kReasonEnd;
            l.replies.pop_front();
            l.offset = 0;
        } else if (n == p.requestSize) {
            r.reason = kReasonRequestSize;
        }
        return &r;
    }

    static Device_Error* DestroyLink(long lid) {
        static Device_Error r;
        r.error = g_links.erase(lid) == 1 ? kErrorNone : kErrorInvalidLink;
        if (r.error == kErrorNone) {
            --g_server->linksOpen_;
        }
        return &r;
    }

    static Device_ReadStbResp* ReadStb(const Device_GenericParms& p) {
        static Device_ReadStbResp r;
        r = {};
        r.error = g_links.count(p.lid) != 0 ? kErrorNone : kErrorInvalidLink;
        return &r;
    }

    static Device_Error* Generic(long lid) {
        static Device_Error r;
        r.error = g_links.count(lid) != 0 ? kErrorNone : kErrorInvalidLink;
        return &r;
    }
};

bool EnterPrivateNetwork(std::string& why) {
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    if (::unshare(CLONE_NEWNET) != 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) {
            why = std::string("no private network namespace can be made here (") +
                  std::strerror(errno) +
                  "): run the test as root, or allow unprivileged user namespaces";
            return false;
        }
        if (!WriteFile("/proc/self/setgroups", "deny") ||
            !WriteFile("/proc/self/uid_map",
                       std::to_string(uid) + " " + std::to_string(uid) + " 1") ||
            !WriteFile("/proc/self/gid_map",
                       std::to_string(gid) + " " + std::to_string(gid) + " 1")) {
            why = std::string("the user namespace cannot map this user (") + std::strerror(errno) +
                  ")";
            return false;
        }
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = fd >= 0 && ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (up) {
        request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
        up = ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    if (fd >= 0) {
        ::close(fd);
    }
    if (!up) {
        why = std::string("the loopback interface of the private network does not come up (") +
              std::strerror(errno) + ")";
        return false;
    }
    return true;
}

Vxi11Server::Vxi11Server(ScpiSimulator& simulator) : simulator_(simulator) {}

Vxi11Server::~Vxi11Server() {
    if (thread_.joinable()) {
        stop_ = true;
        thread_.join();
    }
    if (g_server == this) {
        svc_unregister(PMAPPROG, PMAPVERS);
        svc_unregister(DEVICE_CORE, DEVICE_CORE_VERSION);
        svc_unregister(DEVICE_ASYNC, DEVICE_ASYNC_VERSION);
        g_links.clear();
        g_server = nullptr;
    }
    for (void* t : transports_) {
        if (t != nullptr) {
            svc_destroy(static_cast<SVCXPRT*>(t));  // closes the listening socket
        }
    }
}

bool Vxi11Server::Start(std::string& error) {
    if (g_server != nullptr) {
        error = "a VXI-11 test server runs already";
        return false;
    }
    const int pmapTcp = Bound(SOCK_STREAM, PMAPPORT);
    const int pmapUdp = Bound(SOCK_DGRAM, PMAPPORT);
    const int core = Bound(SOCK_STREAM, 0);
    const int abort = Bound(SOCK_STREAM, 0);
    if (pmapTcp < 0 || pmapUdp < 0 || core < 0 || abort < 0) {
        error = std::string("cannot listen at 127.0.0.1 (port 111 and two more): ") +
                std::strerror(errno);
        for (int fd : {pmapTcp, pmapUdp, core, abort}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
        return false;
    }
    corePort_ = PortOf(core);
    abortPort_ = PortOf(abort);
    g_corePort = corePort_;
    SVCXPRT* t1 = svctcp_create(pmapTcp, 0, 0);
    SVCXPRT* t2 = svcudp_create(pmapUdp);
    SVCXPRT* t3 = svctcp_create(core, 0, 0);
    SVCXPRT* t4 = svctcp_create(abort, 0, 0);
    transports_[0] = t1;
    transports_[1] = t2;
    transports_[2] = t3;
    transports_[3] = t4;
    // Protocol 0: nothing is registered with a portmapper (this one answers GETPORT itself).
    if (t1 == nullptr || t2 == nullptr || t3 == nullptr || t4 == nullptr ||
        !svc_register(t1, PMAPPROG, PMAPVERS, PortmapperDispatch, 0) ||
        !svc_register(t2, PMAPPROG, PMAPVERS, PortmapperDispatch, 0) ||
        !svc_register(t3, DEVICE_CORE, DEVICE_CORE_VERSION, device_core_1, 0) ||
        !svc_register(t4, DEVICE_ASYNC, DEVICE_ASYNC_VERSION, device_async_1, 0)) {
        error = "the RPC services do not register";
        return false;
    }
    g_server = this;
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void Vxi11Server::Serve() {
    while (!stop_) {
        std::vector<pollfd> fds(svc_pollfd, svc_pollfd + svc_max_pollfd);
        const int ready = ::poll(fds.data(), fds.size(), 50);
        if (ready > 0) {
            svc_getreq_poll(fds.data(), ready);
        }
    }
}

}  // namespace kv::test

// ---- the procedures of the generated dispatch ----
using kv::test::Vxi11ServerAccess;

Create_LinkResp* create_link_1_svc(Create_LinkParms* p, struct svc_req*) {
    return Vxi11ServerAccess::CreateLink(*p);
}
Device_WriteResp* device_write_1_svc(Device_WriteParms* p, struct svc_req*) {
    return Vxi11ServerAccess::Write(*p);
}
Device_ReadResp* device_read_1_svc(Device_ReadParms* p, struct svc_req*) {
    return Vxi11ServerAccess::Read(*p);
}
Device_ReadStbResp* device_readstb_1_svc(Device_GenericParms* p, struct svc_req*) {
    return Vxi11ServerAccess::ReadStb(*p);
}
Device_Error* device_trigger_1_svc(Device_GenericParms* p, struct svc_req*) {
    return Vxi11ServerAccess::Generic(p->lid);
}
Device_Error* device_clear_1_svc(Device_GenericParms* p, struct svc_req*) {
    return Vxi11ServerAccess::Generic(p->lid);
}
Device_Error* device_remote_1_svc(Device_GenericParms* p, struct svc_req*) {
    return Vxi11ServerAccess::Generic(p->lid);
}
Device_Error* device_local_1_svc(Device_GenericParms* p, struct svc_req*) {
    return Vxi11ServerAccess::Generic(p->lid);
}
Device_Error* device_lock_1_svc(Device_LockParms* p, struct svc_req*) {
    return Vxi11ServerAccess::Generic(p->lid);
}
Device_Error* device_unlock_1_svc(Device_Link* lid, struct svc_req*) {
    return Vxi11ServerAccess::Generic(*lid);
}
Device_Error* device_enable_srq_1_svc(Device_EnableSrqParms* p, struct svc_req*) {
    return Vxi11ServerAccess::Generic(p->lid);
}
Device_DocmdResp* device_docmd_1_svc(Device_DocmdParms*, struct svc_req*) {
    static Device_DocmdResp r;
    r = {};
    r.error = 8;  // operation not supported
    return &r;
}
Device_Error* destroy_link_1_svc(Device_Link* lid, struct svc_req*) {
    return Vxi11ServerAccess::DestroyLink(*lid);
}
Device_Error* create_intr_chan_1_svc(Device_RemoteFunc*, struct svc_req*) {
    static Device_Error r;
    r.error = 8;
    return &r;
}
Device_Error* destroy_intr_chan_1_svc(void*, struct svc_req*) {
    static Device_Error r;
    r.error = 8;
    return &r;
}
Device_Error* device_abort_1_svc(Device_Link* lid, struct svc_req*) {
    return Vxi11ServerAccess::Generic(*lid);
}
