// A host and a joiner on 127.0.0.1 connect, packets cross both ways, and
// the host sees the joiner leave. Datagrams from a third address, random
// bytes or a packet's payload alone, reach nothing and leave the link up.
#include "net/transport.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

// Counts, in context's int[2], the unsequenced and the reliable packets.
static void Count(void* context, int from, const std::uint8_t* data, std::size_t size) {
    int* counts = static_cast<int*>(context);
    counts[0] += from == kPlayerPeer && size == 2 && data[0] == 'u';
    counts[1] += size == kMaxPacketBytes && data[0] == 'r';
}

// Services host and joiner every millisecond until done() or time is up.
template <typename Done>
static bool ServiceUntil(Transport* t, int (*counts)[2], int limitMs, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    for (int i = 0; i < 10000 && !done() && std::chrono::steady_clock::now() < deadline; ++i) {
        for (int end = 0; end < 2; ++end) {
            ServiceTransport(&t[end], Count, counts[end]);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

TEST(Transport, CarriesPacketsBothWaysUntilOneSideLeaves) {
    Transport t[2]; // host, joiner
    int counts[2][2] = {};
    std::string error;
    const auto base = static_cast<std::uint16_t>(50000 + std::random_device{}() % 10000);
    std::uint16_t port = base;
    while (!OpenHost(&t[0], port, &error, "127.0.0.1") && ++port < base + 20) {
    }
    ASSERT_TRUE(OpenJoin(&t[1], "127.0.0.1", port, &error)) << error;
    ASSERT_TRUE(ServiceUntil(t, counts, 3000, [&] {
        return t[0].link == Link::kConnected && t[1].link == Link::kConnected;
    }));
    const int stranger = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    std::mt19937 random(port);
    for (int i = 0; i < 200; ++i) {
        std::uint8_t junk[64];
        for (std::uint8_t& byte : junk) {
            byte = static_cast<std::uint8_t>(i < 100 ? random() : 'u');
        }
        sendto(stranger, junk, 1 + i % 64, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    close(stranger);
    ServiceUntil(t, counts, 100, [] { return false; });
    EXPECT_EQ(counts[0][0] + counts[0][1], 0);
    EXPECT_EQ(t[0].link, Link::kConnected);
    static const std::uint8_t big[kMaxPacketBytes + 1] = {'r'};
    for (std::uint8_t i = 0; i < 200; ++i) {
        const std::uint8_t packet[] = {'u', i};
        EXPECT_TRUE(
            SendBytes(&t[i % 2], kPlayerPeer, packet, sizeof packet, Delivery::kUnsequenced));
    }
    for (int end = 0; end < 2; ++end) {
        EXPECT_FALSE(SendBytes(&t[end], kPlayerPeer, big, sizeof big, Delivery::kReliable));
        EXPECT_TRUE(SendBytes(&t[end], kPlayerPeer, big, kMaxPacketBytes, Delivery::kReliable));
    }
    ServiceUntil(t, counts, 3000,
                 [&] { return counts[0][0] + counts[1][0] + counts[0][1] + counts[1][1] == 202; });
    for (int end = 0; end < 2; ++end) {
        EXPECT_TRUE(counts[end][0] >= 95 && counts[end][0] <= 100) << counts[end][0];
        EXPECT_EQ(counts[end][1], 1);
    }
    CloseTransport(&t[1]);
    EXPECT_TRUE(ServiceUntil(t, counts, 3000, [&] { return t[0].link == Link::kGone; }));
    EXPECT_FALSE(SendBytes(&t[0], kPlayerPeer, big, 1, Delivery::kUnsequenced));
    CloseTransport(&t[0]);
    CloseTransport(&t[0]);
}
