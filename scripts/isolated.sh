#!/usr/bin/env bash
# Runs a command in a network and mount namespace of its own, so the tests' content
# server, DNS answers and hot-keys never meet the machine's or another run's:
#   - loopback up, and a default route through a gateway on a veth pair of the
#     namespace's own (the program asks whether the machine is online, and Wine says
#     so only for an adapter with a gateway; what goes to the gateway goes nowhere);
#   - /etc/hosts replaced for this namespace: the test content host is 127.0.0.1;
#   - a certificate authority made for this run and trusted in this namespace alone
#     (Wine trusts the system's bundle), with two certificates for the content host in
#     $QW_TEST_CERTIFICATES: trusted.crt/.key signed by it, untrusted.crt/.key by nobody.
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
host="${QW_TEST_CONTENT_HOST:-qw-content.test}"
hosts=$(mktemp)
printf '127.0.0.1\tlocalhost\n::1\tlocalhost\n127.0.0.1\t%s\n' "$host" > "$hosts"
mount --bind "$hosts" /etc/hosts
QW_TEST_CERTIFICATES=$(mktemp -d)
export QW_TEST_CERTIFICATES
certificate() {
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout "$QW_TEST_CERTIFICATES/$1.key" \
    -out "$QW_TEST_CERTIFICATES/$1.crt" "${@:2}" 2>/dev/null
}
certificate authority -subj "/CN=QW test authority"
for name in trusted untrusted; do
  signer=()
  [ "$name" = trusted ] && signer=(-CA "$QW_TEST_CERTIFICATES/authority.crt" -CAkey "$QW_TEST_CERTIFICATES/authority.key")
  certificate "$name" "${signer[@]}" -subj "/CN=$host" -addext "subjectAltName=DNS:$host"
done
cat /etc/ssl/certs/ca-certificates.crt "$QW_TEST_CERTIFICATES/authority.crt" > "$QW_TEST_CERTIFICATES/bundle.crt"
mount --bind "$QW_TEST_CERTIFICATES/bundle.crt" /etc/ssl/certs/ca-certificates.crt
exec "$@"
