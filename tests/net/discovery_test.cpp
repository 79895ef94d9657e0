// LAN discovery: the bytes, and a host on 127.0.0.1 that answers a search and
// still takes a connection. discovery_netns.sh runs --answer and --find.
#include "net/discovery.h"
#include "net/transport.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <future>
#include <thread>

// Services both ends every millisecond while going(), for at most 3000 turns.
template <typename Going> static void ServiceWhile(Transport (&t)[2], Going going) {
    for (int i = 0; i < 3000 && going(); ++i) {
        ServiceTransport(&t[0], nullptr, nullptr);
        ServiceTransport(&t[1], nullptr, nullptr);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Cut, lengthened or with any byte but the nonce's (6 to 13) changed, a request
// gets no reply; no reply is larger than its request, nor taken for another.
TEST(Discovery, AnswersExactRequestsOnlyWithNoMoreBytes) {
    std::uint8_t request[256] = {};
    std::uint8_t reply[256];
    FoundHost host;
    EncodeDiscoveryRequest(7, request, sizeof request);
    for (std::size_t size = 0; size <= sizeof request; ++size) {
        const std::size_t answered = AnswerDiscovery(request, size, "h", 1, reply, sizeof reply);
        EXPECT_EQ(answered != 0, size == kDiscoveryBytes) << size;
        EXPECT_LE(answered, size);
    }
    EXPECT_FALSE(ParseDiscoveryReply(reply, kDiscoveryBytes, 8, &host));
    EXPECT_TRUE(ParseDiscoveryReply(reply, kDiscoveryBytes, 7, &host));
    for (std::size_t at = 0; at < kDiscoveryBytes; ++at) {
        const std::uint8_t original = request[at];
        for (int value = 0; value < 256; ++value) {
            request[at] = static_cast<std::uint8_t>(value);
            const bool answered = AnswerDiscovery(request, 48, "h", 1, reply, sizeof reply) != 0;
            EXPECT_EQ(answered, value == original || (at >= 6 && at < 14)) << at << " " << value;
        }
        request[at] = original;
    }
}

// A host's answer is found once though asked twice, with its name cleaned and
// cut, and lets ENet's own datagrams through: a joiner then connects.
TEST(Discovery, HostOnLoopbackIsFoundOnceAndStillTakesAConnection) {
    Transport t[2]; // host, joiner
    std::string error;
    ASSERT_TRUE(OpenHost(&t[0], 0, &error, "127.0.0.1")) << error;
    t[0].host->intercept = AnswerDiscoveryRequests;
    SetDiscoveryName("a\tname longer than 31 characters, cut");
    std::vector<FoundHost> found;
    const std::vector<std::uint32_t> twice(2, htonl(INADDR_LOOPBACK));
    auto search = std::async(std::launch::async, [&] {
        return FindHostsAt(twice, t[0].host->address.port, 300, &found, &error);
    });
    ServiceWhile(
        t, [&] { return search.wait_for(std::chrono::seconds(0)) != std::future_status::ready; });
    EXPECT_TRUE(search.get()) << error;
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(PickHost(found, "a"), nullptr);
    const FoundHost* picked = PickHost(found, "a?name longer than 31 character");
    ASSERT_EQ(picked, &found[0]);
    ASSERT_TRUE(OpenJoin(&t[1], picked->ip.c_str(), picked->address.port, &error)) << error;
    ServiceWhile(t, [&] { return t[0].link != Link::kConnected; });
    EXPECT_EQ(t[0].link, Link::kConnected);
    CloseTransport(&t[1]);
    CloseTransport(&t[0]);
}

// --answer NAME: prints its process id, then answers as NAME for 3 s.
// --find NAME: a 1 s search must find one host, NAME, not on loopback.
int main(int argc, char** argv) {
    const std::string mode = argc == 3 ? argv[1] : "";
    Transport t[2]; // the host, and none
    std::vector<FoundHost> found;
    if (mode == "--answer" && OpenHost(&t[0], kDefaultPort, nullptr)) {
        t[0].host->intercept = AnswerDiscoveryRequests;
        SetDiscoveryName(argv[2]);
        std::printf("%d\n", getpid());
        std::fflush(stdout);
        ServiceWhile(t, [] { return true; });
        CloseTransport(&t[0]);
        return 0;
    }
    if (mode == "--find") {
        const bool searched = FindHosts(kDefaultPort, 1000, &found, nullptr);
        const bool one = searched && found.size() == 1 && found[0].ip != "127.0.0.1";
        return one && PickHost(found, argv[2]) != nullptr ? 0 : 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return mode == "--answer" ? 1 : RUN_ALL_TESTS();
}
