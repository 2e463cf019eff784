#!/usr/bin/env bash
# Runs a command in a network and mount namespace of its own, so the tests' content
# server, DNS answers and hot-keys never meet the machine's or another run's:
#   - loopback up, and a default route through a gateway on a veth pair of the
#     namespace's own (the program asks whether the machine is online, and Wine says
#     so only for an adapter with a gateway; what goes to the gateway goes nowhere);
#   - /etc/hosts replaced for this namespace: the test content host is 127.0.0.1.
#   scripts/isolated.sh <command> [arguments...]
set -euo pipefail
if [ "${QW_ISOLATED:-}" != 1 ]; then
  export QW_ISOLATED=1
  exec unshare --net --mount --propagation private "$0" "$@"
fi
ip link set lo up
ip link add qw-net0 type veth peer name qw-net1
ip addr add 192.0.2.1/24 dev qw-net0
ip link set qw-net1 up
ip link set qw-net0 up
ip route add default via 192.0.2.2 dev qw-net0
hosts=$(mktemp)
printf '127.0.0.1\tlocalhost\n::1\tlocalhost\n127.0.0.1\t%s\n' "${QW_TEST_CONTENT_HOST:-qw-content.test}" > "$hosts"
mount --bind "$hosts" /etc/hosts
exec "$@"
