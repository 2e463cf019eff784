#!/usr/bin/env bash
# Runs a command in a network and mount namespace of its own, so the tests' content
# server, DNS answers and hot-keys never meet the machine's or another run's:
#   - loopback up, and a default route through it (the program asks whether the
#     machine is online; the namespace has no other device, so nothing leaves it);
#   - /etc/hosts replaced for this namespace: the test content host is 127.0.0.1.
#   scripts/isolated.sh <command> [arguments...]
set -euo pipefail
if [ "${QW_ISOLATED:-}" != 1 ]; then
  export QW_ISOLATED=1
  exec unshare --net --mount --propagation private "$0" "$@"
fi
ip link set lo up
ip route add default dev lo
hosts=$(mktemp)
printf '127.0.0.1\tlocalhost\n::1\tlocalhost\n127.0.0.1\t%s\n' "${QW_TEST_CONTENT_HOST:-qw-content.test}" > "$hosts"
mount --bind "$hosts" /etc/hosts
exec "$@"
