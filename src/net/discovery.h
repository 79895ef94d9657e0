// Finding a game on the local network. A joiner broadcasts a small request
// on the game's port; every host there answers with its name and the port it
// plays on. The host answers from inside its ENet socket, so a host needs no
// second socket and a joiner finds exactly the games that can be joined.
//
// Both datagrams are 48 bytes, numbers little-endian:
//   request: 'F' 'R' 'L' 'D', version 1, kind 'Q', nonce (8 bytes),
//            34 zero bytes
//   reply:   'F' 'R' 'L' 'D', version 1, kind 'A', the request's nonce
//            (8 bytes), port (2 bytes, not 0), name length (1 to 31),
//            the name (31 bytes: printable ASCII, then zeros)
// The request is padded to the reply's size so that a forged source address
// cannot make a host send more than it was sent. Read as an ENet header, the
// magic names peer 1618 and compression, which ENet drops whatever it holds.
#pragma once

#include <enet/enet.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::size_t kDiscoveryBytes = 48;
inline constexpr std::size_t kMaxHostNameLength = 31;

// A host that answered a search: its IPv4 address as ENet keeps it (host in
// network order) with the port it plays on, the same address dotted, and the
// name it gave.
struct FoundHost {
    ENetAddress address{};
    std::string ip;
    std::string name;
};

// A name as a host gives it: at most 31 characters, each one outside
// printable ASCII (0x20 to 0x7e) replaced by '?', and "flagrun" for none.
std::string CleanHostName(const char* name);

// Writes the request carrying nonce; the number of bytes written, 0 when
// capacity is less than kDiscoveryBytes.
std::size_t EncodeDiscoveryRequest(std::uint64_t nonce, std::uint8_t* buffer, std::size_t capacity);

// The reply to a datagram, naming the host by CleanHostName(name) with port:
// the number of bytes written, never more than size, or 0 when the datagram
// is anything but exactly one valid request or the reply does not fit.
std::size_t AnswerDiscovery(const std::uint8_t* request, std::size_t size, const char* name,
                            std::uint16_t port, std::uint8_t* reply, std::size_t capacity);

// Reads a reply to the request that carried nonce into host's port and name
// (its address is where the datagram came from, for the caller to fill).
// False for anything but exactly one valid reply with that nonce.
bool ParseDiscoveryReply(const std::uint8_t* data, std::size_t size, std::uint64_t nonce,
                         FoundHost* host);

// The name a host answers with, cleaned by CleanHostName. Until it is set,
// the machine's short host name (up to its first dot). Set it before the
// host is serviced: the answer reads it without a lock.
void SetDiscoveryName(const char* name);
std::string DiscoveryName();

// For ENetHost::intercept: answers a valid request from the host's own
// socket, with its name and the port it is bound to, and consumes it (1);
// lets every other datagram through to ENet untouched (0).
int AnswerDiscoveryRequests(ENetHost* host, ENetEvent* event);

// Where a search sends its request, IPv4 in network order: the limited
// broadcast 255.255.255.255, the broadcast address of each IPv4 interface
// that is up (its address with the host bits set), and 127.0.0.1, each once.
std::vector<std::uint32_t> DiscoveryTargets();

// Sends a request to each target on port, again after 250 and 500 ms while
// the search lasts, and collects the valid replies until waitMs have passed:
// one host per IPv4 address, in the order they answered. A send that fails
// is skipped; false, saying why in *error, only when no socket could be made
// or no first request went out.
bool FindHostsAt(const std::vector<std::uint32_t>& targets, std::uint16_t port, int waitMs,
                 std::vector<FoundHost>* hosts, std::string* error);

// Searches the local network: FindHostsAt(DiscoveryTargets(), ...).
bool FindHosts(std::uint16_t port, int waitMs, std::vector<FoundHost>* hosts, std::string* error);

// The host to join: the first found when name is null or empty, otherwise
// the first whose name equals it; null when there is none.
const FoundHost* PickHost(const std::vector<FoundHost>& hosts, const char* name);
