#!/bin/sh
# Two network namespaces joined by a veth pair on 10.89.0.0/24, no default
# route: a host answers in one, and a 1 s search in the other must find it by
# the interface's broadcast address. Skipped (77) where unshare -Urn fails.
set -eu
if ! unshare -Urn true 2>/dev/null; then
    echo "SKIPPED: network namespaces are unavailable here (unshare -Urn fails)"
    exit 77
fi
[ "${2:-}" = inside ] || exec unshare -Urn sh "$0" "$1" inside
unshare -n "$1" --answer lanhost | {
    read -r answerer
    ip link add va type veth peer name vb netns "$answerer"
    ip addr add 10.89.0.1/24 dev va
    ip link set va up
    nsenter --net=/proc/"$answerer"/ns/net sh -c 'ip addr add 10.89.0.2/24 dev vb && ip link set vb up'
    "$1" --find lanhost
}
