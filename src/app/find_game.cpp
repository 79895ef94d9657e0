// A search of the local network, only when the command line leaves a need.
#include "app/find_game.h"

#include "net/discovery.h"

#include <cstdio>

bool FindGame(NetOptions* net, std::string* error) {
    ENetAddress known{};
    if (net->host[0] != '\0' && enet_address_set_host(&known, net->host) == 0) {
        return true;
    }
    std::vector<FoundHost> hosts;
    if (!FindHosts(net->port, kSearchMs, &hosts, error)) {
        return false;
    }
    const FoundHost* found = PickHost(hosts, net->host);
    if (found == nullptr) {
        *error = net->host[0] == '\0' ? "found no game on the local network"
                                      : std::string("found no host called ") + net->host;
        return false;
    }
    std::snprintf(net->host, sizeof net->host, "%s", found->ip.c_str());
    net->port = found->address.port;
    return true;
}
