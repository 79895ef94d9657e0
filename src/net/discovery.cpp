// Finding a game on the local network: the request and reply bytes, the
// host's answer from inside ENet's socket, and the joiner's search over a
// plain UDP socket that broadcasts on every IPv4 interface.
#include "net/discovery.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr std::uint8_t kMagic[4] = {'F', 'R', 'L', 'D'};
constexpr std::uint8_t kVersion = 1;
constexpr std::uint8_t kRequestKind = 'Q';
constexpr std::uint8_t kReplyKind = 'A';
constexpr std::size_t kVersionAt = 4;
constexpr std::size_t kKindAt = 5;
constexpr std::size_t kNonceAt = 6;
constexpr std::size_t kPortAt = 14;
constexpr std::size_t kNameLengthAt = 16;
constexpr std::size_t kNameAt = 17;
constexpr const char* kUnnamed = "flagrun";
// A broadcast is sent once, unacknowledged, and is easily lost on Wi-Fi (or
// on a link that has only just come up): a search asks again after 250 and
// 500 ms. Replies to every round carry the one nonce and are merged.
constexpr int kRounds = 3;
constexpr int kResendMs = 250;
// A round reads at most this many datagrams, however many arrive in time.
constexpr int kMaxDatagrams = 1024;

static_assert(kNameAt + kMaxHostNameLength == kDiscoveryBytes);

// Says why, when the caller asked.
void SetError(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
}

// Printable ASCII, the only characters a name may have on the wire.
bool IsPrintable(std::uint8_t c) {
    return c >= 0x20 && c <= 0x7e;
}

// The low `count` bytes of value at `at`, least significant first.
void PutLittle(std::uint8_t* at, std::uint64_t value, int count) {
    for (int i = 0; i < count; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> 8 * i);
    }
}

// The little-endian number of `count` bytes at `at`.
std::uint64_t GetLittle(const std::uint8_t* at, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        value |= static_cast<std::uint64_t>(at[i]) << 8 * i;
    }
    return value;
}

// Whether the bytes from `from` up to `to` are all zero: padding must be.
bool AllZero(const std::uint8_t* from, const std::uint8_t* to) {
    return std::all_of(from, to, [](std::uint8_t byte) { return byte == 0; });
}

// Exactly kDiscoveryBytes starting with the magic, the version and kind.
bool HasHeader(const std::uint8_t* data, std::size_t size, std::uint8_t kind) {
    return size == kDiscoveryBytes && std::memcmp(data, kMagic, sizeof kMagic) == 0 &&
           data[kVersionAt] == kVersion && data[kKindAt] == kind;
}

// A request has nothing but zeros after its nonce.
bool IsRequest(const std::uint8_t* data, std::size_t size) {
    return HasHeader(data, size, kRequestKind) && AllZero(data + kPortAt, data + size);
}

// Zeros all kDiscoveryBytes of buffer, then writes the header and nonce.
void WriteHeader(std::uint8_t* buffer, std::uint8_t kind, std::uint64_t nonce) {
    std::memset(buffer, 0, kDiscoveryBytes);
    std::memcpy(buffer, kMagic, sizeof kMagic);
    buffer[kVersionAt] = kVersion;
    buffer[kKindAt] = kind;
    PutLittle(buffer + kNonceAt, nonce, 8);
}

// The name a host answers with; the default is made on first use.
std::string& NameSlot() {
    static std::string name = [] {
        char machine[256] = {};
        if (gethostname(machine, sizeof machine - 1) != 0) {
            machine[0] = '\0';
        }
        machine[std::strcspn(machine, ".")] = '\0';
        return CleanHostName(machine);
    }();
    return name;
}

// Adds address unless it is there already: one request per address.
void AddTarget(std::uint32_t address, std::vector<std::uint32_t>* targets) {
    if (std::find(targets->begin(), targets->end(), address) == targets->end()) {
        targets->push_back(address);
    }
}

// The IPv4 address, in network order, of a socket address known to be one.
std::uint32_t Ipv4Of(const sockaddr* address) {
    return reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
}

// The broadcast address of an IPv4 interface that is up, worked out from its
// address and netmask: the one it reports may be unset (ip addr add without
// brd). None for a /31 or /32, which have no broadcast address.
void AddBroadcast(const ifaddrs& entry, std::vector<std::uint32_t>* targets) {
    const bool ipv4 = (entry.ifa_flags & IFF_UP) != 0 && (entry.ifa_flags & IFF_BROADCAST) != 0 &&
                      entry.ifa_addr != nullptr && entry.ifa_addr->sa_family == AF_INET &&
                      entry.ifa_netmask != nullptr;
    const std::uint32_t mask = ipv4 ? ntohl(Ipv4Of(entry.ifa_netmask)) : ~0u;
    if (mask < 0xfffffffeu) {
        AddTarget(Ipv4Of(entry.ifa_addr) | htonl(~mask), targets);
    }
}

// A UDP socket allowed to send to broadcast addresses; -1 on failure.
int OpenSearchSocket(std::string* error) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    if (fd >= 0 && setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) == 0) {
        return fd;
    }
    SetError(error, std::string("could not open a UDP socket to search: ") + std::strerror(errno));
    if (fd >= 0) {
        close(fd);
    }
    return -1;
}

// A fresh nonce for each search, so that a reply to another search, or one forged
// by someone who did not see the request, is not taken.
std::uint64_t RandomNonce() {
    std::random_device random;
    return static_cast<std::uint64_t>(random()) << 32 | random();
}

// The number of targets the request went to. One interface without a link
// or a route must not stop the search on the others.
int SendRequests(int fd, const std::vector<std::uint32_t>& targets, std::uint16_t port,
                 std::uint64_t nonce) {
    std::uint8_t request[kDiscoveryBytes];
    EncodeDiscoveryRequest(nonce, request, sizeof request);
    int sent = 0;
    for (const std::uint32_t target : targets) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = target;
        const ssize_t size =
            sendto(fd, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        sent += size == static_cast<ssize_t>(sizeof request);
    }
    return sent;
}

// Whether a host at this IPv4 address has already answered.
bool Known(const std::vector<FoundHost>& hosts, std::uint32_t address) {
    return std::any_of(hosts.begin(), hosts.end(),
                       [&](const FoundHost& host) { return host.address.host == address; });
}

// Reads one datagram and keeps it when it is a reply to our request from an
// address not heard yet. One byte more than a reply is read, so that a longer
// datagram is seen as such and refused.
void ReadReply(int fd, std::uint64_t nonce, std::vector<FoundHost>* hosts) {
    std::uint8_t data[kDiscoveryBytes + 1];
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    const ssize_t size = recvfrom(fd, data, sizeof data, MSG_DONTWAIT,
                                  reinterpret_cast<sockaddr*>(&from), &fromSize);
    FoundHost host;
    if (size <= 0 || from.sin_family != AF_INET ||
        !ParseDiscoveryReply(data, static_cast<std::size_t>(size), nonce, &host) ||
        Known(*hosts, from.sin_addr.s_addr)) {
        return;
    }
    char ip[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &from.sin_addr, ip, sizeof ip);
    host.address.host = from.sin_addr.s_addr;
    host.ip = ip;
    hosts->push_back(host);
}

// Reads replies until the deadline.
void CollectReplies(int fd, std::uint64_t nonce, steady_clock::time_point deadline,
                    std::vector<FoundHost>* hosts) {
    for (int i = 0; i < kMaxDatagrams; ++i) {
        const auto left = std::chrono::ceil<milliseconds>(deadline - steady_clock::now());
        pollfd ready{fd, POLLIN, 0};
        const int result = left.count() > 0 ? poll(&ready, 1, static_cast<int>(left.count())) : 0;
        if (result == 0 || (result < 0 && errno != EINTR)) {
            return;
        }
        if (result > 0) {
            ReadReply(fd, nonce, hosts);
        }
    }
}

// Sends the rounds of requests, the first always and the others while the
// search lasts, and collects the replies: the number of requests sent, 0
// when the first round sent none.
int SearchInRounds(int fd, const std::vector<std::uint32_t>& targets, std::uint16_t port,
                   int waitMs, std::vector<FoundHost>* hosts) {
    const std::uint64_t nonce = RandomNonce();
    const auto start = steady_clock::now();
    int sent = 0;
    for (int round = 0; round < kRounds && (round == 0 || round * kResendMs < waitMs); ++round) {
        sent += SendRequests(fd, targets, port, nonce);
        if (sent == 0) {
            return 0;
        }
        const int untilMs =
            round + 1 < kRounds ? std::min(waitMs, (round + 1) * kResendMs) : waitMs;
        CollectReplies(fd, nonce, start + milliseconds(untilMs), hosts);
    }
    return sent;
}

} // namespace

std::string CleanHostName(const char* name) {
    std::string clean;
    for (std::size_t i = 0; name != nullptr && name[i] != '\0' && i < kMaxHostNameLength; ++i) {
        clean += IsPrintable(static_cast<std::uint8_t>(name[i])) ? name[i] : '?';
    }
    return clean.empty() ? std::string(kUnnamed) : clean;
}

std::size_t EncodeDiscoveryRequest(std::uint64_t nonce, std::uint8_t* buffer,
                                   std::size_t capacity) {
    if (capacity < kDiscoveryBytes) {
        return 0;
    }
    WriteHeader(buffer, kRequestKind, nonce);
    return kDiscoveryBytes;
}

std::size_t AnswerDiscovery(const std::uint8_t* request, std::size_t size, const char* name,
                            std::uint16_t port, std::uint8_t* reply, std::size_t capacity) {
    if (!IsRequest(request, size) || capacity < kDiscoveryBytes) {
        return 0;
    }
    // Read before writing: reply may be the request's own buffer.
    const std::uint64_t nonce = GetLittle(request + kNonceAt, 8);
    const std::string clean = CleanHostName(name);
    WriteHeader(reply, kReplyKind, nonce);
    PutLittle(reply + kPortAt, port, 2);
    reply[kNameLengthAt] = static_cast<std::uint8_t>(clean.size());
    std::memcpy(reply + kNameAt, clean.data(), clean.size());
    return kDiscoveryBytes;
}

bool ParseDiscoveryReply(const std::uint8_t* data, std::size_t size, std::uint64_t nonce,
                         FoundHost* host) {
    if (!HasHeader(data, size, kReplyKind) || GetLittle(data + kNonceAt, 8) != nonce) {
        return false;
    }
    const auto port = static_cast<std::uint16_t>(GetLittle(data + kPortAt, 2));
    const std::size_t length = data[kNameLengthAt];
    const std::uint8_t* name = data + kNameAt;
    const bool valid = port != 0 && length >= 1 && length <= kMaxHostNameLength &&
                       std::all_of(name, name + length, IsPrintable) &&
                       AllZero(name + length, data + size);
    if (valid) {
        host->address.port = port;
        host->name.assign(reinterpret_cast<const char*>(name), length);
    }
    return valid;
}

void SetDiscoveryName(const char* name) {
    NameSlot() = CleanHostName(name);
}

std::string DiscoveryName() {
    return NameSlot();
}

int AnswerDiscoveryRequests(ENetHost* host, ENetEvent* /*event*/) {
    std::uint8_t reply[kDiscoveryBytes];
    const std::size_t size =
        AnswerDiscovery(host->receivedData, host->receivedDataLength, NameSlot().c_str(),
                        host->address.port, reply, sizeof reply);
    if (size == 0) {
        return 0;
    }
    ENetBuffer buffer;
    buffer.data = reply;
    buffer.dataLength = size;
    // A reply the socket cannot take now is lost: that search misses us.
    enet_socket_send(host->socket, &host->receivedAddress, &buffer, 1);
    return 1;
}

std::vector<std::uint32_t> DiscoveryTargets() {
    std::vector<std::uint32_t> targets = {htonl(INADDR_BROADCAST)};
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) == 0) {
        for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
            AddBroadcast(*entry, &targets);
        }
        freeifaddrs(interfaces);
    }
    AddTarget(htonl(INADDR_LOOPBACK), &targets);
    return targets;
}

bool FindHostsAt(const std::vector<std::uint32_t>& targets, std::uint16_t port, int waitMs,
                 std::vector<FoundHost>* hosts, std::string* error) {
    hosts->clear();
    const int fd = OpenSearchSocket(error);
    if (fd < 0) {
        return false;
    }
    const int sent = SearchInRounds(fd, targets, port, waitMs, hosts);
    if (sent == 0) {
        SetError(error, "could not send a search request to any address");
    }
    close(fd);
    return sent > 0;
}

bool FindHosts(std::uint16_t port, int waitMs, std::vector<FoundHost>* hosts, std::string* error) {
    return FindHostsAt(DiscoveryTargets(), port, waitMs, hosts, error);
}

const FoundHost* PickHost(const std::vector<FoundHost>& hosts, const char* name) {
    for (const FoundHost& host : hosts) {
        if (name == nullptr || name[0] == '\0' || host.name == name) {
            return &host;
        }
    }
    return nullptr;
}
