#!/usr/bin/env bash
# Runs a command in a network and mount namespace of its own, so the tests' content
# server, DNS answers and hot-keys never meet the machine's or another run's:
#   - loopback up, and a default route through a gateway on a veth pair of the
#     namespace's own (the program asks whether the machine is online, and Wine says
#     so only for an adapter with a gateway; what goes to the gateway goes nowhere);
#   - /etc/hosts replaced for this namespace: the test content host is 127.0.0.1;
#   - a certificate authority made for this run and trusted in this namespace alone
#     (Wine trusts the system's bundle), and in $QW_TEST_CERTIFICATES these .crt/.key
#     pairs: trusted (signed by it for the content host), untrusted (signed by nobody),
#     other_host (signed by it for another name) and expired (signed by it, valid only
#     for a day long past).
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
dir=$QW_TEST_CERTIFICATES
certificate() {
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout "$dir/$1.key" -out "$dir/$1.crt" "${@:2}" 2>/dev/null
}
certificate authority -subj "/CN=QW test authority"
authority=(-CA "$dir/authority.crt" -CAkey "$dir/authority.key")
certificate trusted "${authority[@]}" -subj "/CN=$host" -addext "subjectAltName=DNS:$host"
certificate untrusted -subj "/CN=$host" -addext "subjectAltName=DNS:$host"
certificate other_host "${authority[@]}" -subj "/CN=other.$host" -addext "subjectAltName=DNS:other.$host"
# Debian 12's req cannot date a certificate in the past; its ca command can.
openssl req -new -newkey rsa:2048 -nodes -keyout "$dir/expired.key" -out "$dir/expired.csr" -subj "/CN=$host" \
  -addext "subjectAltName=DNS:$host" 2>/dev/null
touch "$dir/index.txt" && echo 01 > "$dir/serial"
printf '[ca]\ndefault_ca=c\n[c]\ndatabase=%s\nserial=%s\nnew_certs_dir=%s\ndefault_md=sha256\npolicy=p\ncopy_extensions=copy\n[p]\ncommonName=supplied\n' \
  "$dir/index.txt" "$dir/serial" "$dir" > "$dir/ca.cnf"
openssl ca -batch -notext -config "$dir/ca.cnf" -cert "$dir/authority.crt" -keyfile "$dir/authority.key" \
  -startdate 20200101000000Z -enddate 20200102000000Z -in "$dir/expired.csr" -out "$dir/expired.crt" 2>/dev/null
cat /etc/ssl/certs/ca-certificates.crt "$dir/authority.crt" > "$dir/bundle.crt"
mount --bind "$dir/bundle.crt" /etc/ssl/certs/ca-certificates.crt
exec "$@"
