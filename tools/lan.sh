#!/usr/bin/env bash
# A LAN of its own for the tests that need what loopback lacks (broadcasts, several hosts, a
# name service that answers): network namespaces on one bridge, 10.150.0.0/24, no route out.
#
#   host  address       what runs there
#   tx    10.150.0.10   the sender: Korvel.exe under Wine, with its own wineserver and X server
#   rx    10.150.0.20   Samba's nmbd and smbd: computer BUH-PC1 of workgroup OFFICE, the users
#                       IVANOV and ПЕТРОВ as NetBIOS aliases, dos charset 866; an inbox
#   wg    10.150.0.30   a member of OFFICE holding OFFICE<00>, keeping every datagram (UDP 138)
#   win   10.150.0.40   a scripted current Windows computer WIN10 (tools/lan_peer.py windows)
#   xp    10.150.0.50   a scripted Windows XP messenger XPPC with user SIDOROV (lan_peer.py xp)
#
# Only WIN10 is in the sender's hosts file (as DNS would have it); every other name is found by
# broadcast. The sender has no DNS server.
#
#   tools/lan.sh start <state dir> [more aliases for BUH-PC1...]
#                    (KORVEL_LAN_XP_USERS: more users of XPPC, blank-separated;
#                     KORVEL_LAN_DNS: a DNS server for the sender, e.g. an address where
#                     nothing answers)
#   tools/lan.sh run <state dir> <wine prefix> -- command args...
#   tools/lan.sh stop <state dir>
#
# start returns once nmbd answers for every name; stop ends every process by the PID start
# wrote and removes the namespaces. run starts a Wine session (tools/wine-session.sh) inside the
# sender's namespace with the given prefix (made on first use; its workgroup set to OFFICE) and
# runs the command there, with KORVEL_LAN (the state dir, as Wine sees it) in its environment.
# Where namespaces cannot be made (not root), start says so, and run exits 77 (skipped).
# The state dir must be short: smbd's sockets live under it.
set -euo pipefail

usage() {
  echo "usage: $0 start <state dir> [aliases...] | run <state dir> <prefix> -- cmd... | stop <state dir>" >&2
  exit 2
}
[ $# -ge 2 ] || usage
action=$1
root=$(cd "$(dirname "$0")/.." && pwd)
state=$(mkdir -p "$2" && cd "$2" && pwd)
shift 2

id=$(printf %s "$state" | md5sum | cut -c1-6)
hosts=(tx rx wg win xp)
declare -A address=([tx]=10.150.0.10 [rx]=10.150.0.20 [wg]=10.150.0.30 [win]=10.150.0.40
                    [xp]=10.150.0.50)
ns() { echo "kv$id-$1"; }
bridge=$(ns br)

stop() {
  # Every process is asked to end at once (nmbd takes a while releasing its names), then
  # waited for, and what is left after a few seconds is killed.
  local pids=() alive pid
  for pidfile in "$state"/*.pid; do
    [ -f "$pidfile" ] || continue
    pid=$(cat "$pidfile")
    kill "$pid" 2>/dev/null && pids+=("$pid")
    rm -f "$pidfile"
  done
  for _ in $(seq 1 100); do
    alive=0
    for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null && alive=1; done
    [ "$alive" = 0 ] && break
    sleep 0.05
  done
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  for host in "${hosts[@]}" br; do
    ip netns del "$(ns "$host")" 2>/dev/null || true
    rm -rf "/etc/netns/$(ns "$host")" 2>/dev/null || true
  done
}

unavailable() {
  echo "lan: $1; the LAN tests are skipped" >&2
  echo "$1" > "$state/unavailable"
  exit 0
}

# Runs "$@" in the background inside namespace $1, in a session of its own (smbd and nmbd
# signal their whole process group when they end), and keeps its PID as <name>.pid.
spawn() {
  local host=$1 name=$2
  shift 2
  setsid ip netns exec "$(ns "$host")" "$@" </dev/null >"$state/log/$name.out" 2>&1 &
  echo $! > "$state/$name.pid"
}

start() {
  stop
  rm -f "$state/unavailable"
  [ "$(id -u)" -eq 0 ] || unavailable "network namespaces need root"
  command -v nmbd >/dev/null || [ -x /usr/sbin/nmbd ] || unavailable "nmbd is not installed"
  ip netns add "$bridge" 2>/dev/null || unavailable "ip netns add failed"
  trap 'echo "lan: start failed" >&2; stop' ERR

  rm -rf "$state/rx" "$state/wg" "$state/log"
  mkdir -p "$state/log"
  ip -n "$bridge" link set lo up
  ip -n "$bridge" link add br0 type bridge
  ip -n "$bridge" link set br0 up
  for host in "${hosts[@]}"; do
    ip netns add "$(ns "$host")"
    ip -n "$(ns "$host")" link set lo up
    ip link add eth0 netns "$(ns "$host")" type veth peer name "to-$host" netns "$bridge"
    ip -n "$(ns "$host")" addr add "${address[$host]}/24" brd + dev eth0
    ip -n "$(ns "$host")" link set dev eth0 up
    ip -n "$bridge" link set dev "to-$host" master br0 up
  done
  # The sender's own /etc: WIN10 as DNS would give it, and no DNS server.
  mkdir -p "/etc/netns/$(ns tx)"
  printf '127.0.0.1 localhost\n%s win10\n' "${address[win]}" > "/etc/netns/$(ns tx)/hosts"
  if [ -n "${KORVEL_LAN_DNS:-}" ]; then
    echo "nameserver $KORVEL_LAN_DNS" > "/etc/netns/$(ns tx)/resolv.conf"
  else
    echo "# no DNS server on this LAN" > "/etc/netns/$(ns tx)/resolv.conf"
  fi

  # The receiver: smbd for messages, nmbd for names. The message command runs as the guest
  # account, so its folders are open to it.
  local rx=$state/rx aliases="IVANOV ПЕТРОВ $*"
  mkdir -p "$rx"/{lock,state,cache,private,pid,ncalrpc,log,tmp,inbox}
  chmod 0755 "$state" "$rx"
  chmod 1777 "$rx/tmp"
  chmod 0777 "$rx/inbox"
  cat > "$rx/smb.conf" <<CONF
[global]
   netbios name = BUH-PC1
   netbios aliases = $aliases
   workgroup = OFFICE
   server role = standalone server
   server min protocol = NT1
   smb ports = 139
   disable netbios = no
   interfaces = ${address[rx]}/24
   bind interfaces only = yes
   local master = no
   preferred master = no
   domain master = no
   dos charset = CP866
   unix charset = UTF-8
   lock directory = $rx/lock
   state directory = $rx/state
   cache directory = $rx/cache
   private dir = $rx/private
   pid directory = $rx/pid
   ncalrpc dir = $rx/ncalrpc
   log file = $rx/log/log.%m
   load printers = no
   printcap name = /dev/null
   disable spoolss = yes
   message command = /bin/sh -c 'f=\$(mktemp "$rx/inbox/.in.XXXXXX") && cat %s > "\$f" && chmod a+r "\$f" && mv "\$f" "$rx/inbox/%t_%f_%L_\${f##*.}.txt"; rm -f %s'
CONF
  # A client's configuration for the sender's namespace: names in 866 as the receiver has them.
  mkdir -p "$state/tx"/{lock,state,cache,private,pid,log}
  sed -e "s|$rx|$state/tx|g" -e "s|${address[rx]}/24|${address[tx]}/24|" "$rx/smb.conf" \
    > "$state/tx/smb.conf"

  local smbd nmbd
  smbd=$(command -v smbd || echo /usr/sbin/smbd)
  nmbd=$(command -v nmbd || echo /usr/sbin/nmbd)
  spawn rx smbd env TMPDIR="$rx/tmp" "$smbd" -F --no-process-group -s "$rx/smb.conf" -l "$rx/log"
  spawn rx nmbd "$nmbd" -F --no-process-group -s "$rx/smb.conf" -l "$rx/log"
  local peer=(python3 "$root/tools/lan_peer.py")
  spawn wg listener "${peer[@]}" listener --address "${address[wg]}" --workgroup OFFICE \
    --out "$state/wg/datagrams" --log "$state/log/listener.log"
  spawn win windows "${peer[@]}" windows --address "${address[win]}" --name WIN10 --workgroup OFFICE \
    --log "$state/log/windows.log"
  spawn xp xp "${peer[@]}" xp --address "${address[xp]}" --name XPPC \
    --users "SIDOROV ${KORVEL_LAN_XP_USERS:-}" --workgroup OFFICE \
    --group-id 0x5A17 --log "$state/log/xp.log"

  # nmbd registers its names with broadcasts of its own before it answers for them.
  local names=(BUH-PC1 IVANOV ПЕТРОВ "$@" XPPC) left
  for _ in $(seq 1 300); do
    left=()
    for name in "${names[@]}"; do
      ip netns exec "$(ns tx)" nmblookup -s "$state/tx/smb.conf" -B 10.150.0.255 "$name#03" \
        2>/dev/null | grep -q '^10\.150\.0\.[0-9]* ' || left+=("$name")
    done
    if [ ${#left[@]} -eq 0 ]; then
      trap - ERR
      echo "lan: up in $(ns tx) and its neighbours; receiver inbox $rx/inbox"
      return 0
    fi
    names=("${left[@]}")
    for pidfile in "$state"/*.pid; do
      kill -0 "$(cat "$pidfile")" 2>/dev/null || {
        echo "lan: $(basename "$pidfile" .pid) has ended; its output:" >&2
        tail -n 20 "$state/log/$(basename "$pidfile" .pid).out" >&2
        stop
        exit 1
      }
    done
    sleep 0.2
  done
  echo "lan: no answer for ${left[*]}" >&2
  tail -n 20 "$rx/log/log.nmbd" >&2 2>/dev/null || true
  stop
  exit 1
}

run() {
  [ $# -ge 2 ] && [ "$1" != -- ] || usage
  local prefix
  prefix=$(mkdir -p "$1" && cd "$1" && pwd)
  shift
  [ "$1" = -- ] && shift
  if [ -f "$state/unavailable" ]; then
    echo "lan: skipped: $(cat "$state/unavailable")"
    exit 77
  fi
  ip netns exec "$(ns tx)" true 2>/dev/null || { echo "lan: not started ($state)" >&2; exit 1; }
  # The workgroup Wine's workstation service answers with, as Windows' own setting would.
  ip netns exec "$(ns tx)" env KORVEL_WINEPREFIX="$prefix" KORVEL_LAN="Z:$state" \
    "$root/tools/wine-session.sh" --xvfb -- bash -c '
      wine reg add "HKLM\\System\\CurrentControlSet\\Services\\VxD\\VNETSUP" /v Workgroup \
        /d OFFICE /f >/dev/null 2>&1
      "$@"' lan "$@"
}

case "$action" in
  start) start "$@" ;;
  run) run "$@" ;;
  stop) stop ;;
  *) usage ;;
esac
