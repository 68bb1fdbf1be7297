#!/usr/bin/env bash
# A messenger receiver for tests: Samba's smbd on a loopback address of its own, with every bit
# of its state in one folder, writing each message it takes to a file in <state dir>/inbox:
#   <date>_<time>_<sender>_<called name>_<random>.txt
# (smbd puts "_" for every byte of the sender outside A-Z, a-z, 0-9, and lower-cases the called
# name; the text is UTF-8, converted from code page 866, with CR LF turned into LF).
#
#   tools/receiver.sh start <state dir> [address]   default address 127.83.1.39, port 139
#   tools/receiver.sh stop <state dir>
#
# The state folder must be short (smbd's sockets live in it, and a Unix socket path holds 108
# bytes) and reachable by the guest account, as which smbd runs its message command: a folder
# of its own under /tmp, as tests/receiver/receiver.cmake gives it. start makes it anew and
# returns once the receiver accepts connections; stop ends the receiver by the PID that start
# wrote and removes the folder. smbd needs root for port 139: the script uses sudo otherwise.
set -euo pipefail

usage() { echo "usage: $0 start <state dir> [address] | stop <state dir>" >&2; exit 2; }
[ $# -ge 2 ] || usage
action=$1
state=$2
case "$state" in
  /*) ;;
  *) state=$PWD/$state ;;
esac
address=${3:-127.83.1.39}
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
# What start leaves in the folder, so that stop never removes a folder it did not make.
marker=.korvel-receiver

accepts() { timeout 1 bash -c "exec 3<>/dev/tcp/$1/139" 2>/dev/null; }

ours() { [ -d "$state" ] && [ ! -L "$state" ] && [ -O "$state" ] && [ -f "$state/$marker" ]; }

stop() {
  ours || return 0
  if [ -f "$state/smbd.pid" ]; then
    pid=$(cat "$state/smbd.pid")
    if $sudo kill "$pid" 2>/dev/null; then
      for _ in $(seq 1 100); do
        $sudo kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
      done
      $sudo kill -KILL "$pid" 2>/dev/null || true
    fi
  fi
  # smbd, as root, and the guest account leave files of their own in it.
  $sudo rm -rf -- "$state"
}

# A folder of its own, made anew. A name under /tmp can be taken by anyone first: a folder
# that is a link, or not this user's, or someone else's files, is refused, never used.
make_state() {
  if [ -e "$state" ] || [ -L "$state" ]; then
    if ! { [ -d "$state" ] && [ ! -L "$state" ] && [ -O "$state" ] &&
      [ -z "$(ls -A "$state")" ]; }; then
      echo "receiver: $state is in the way (not an empty folder of this user's); remove it" >&2
      exit 1
    fi
  else
    mkdir -p -- "$(dirname -- "$state")"
    mkdir -- "$state"
  fi
  chmod 0755 "$state"
  touch "$state/$marker"
}

case "$action" in
  start)
    command -v smbd >/dev/null || [ -x /usr/sbin/smbd ] || {
      echo "receiver: smbd is not installed (tools/bootstrap.sh installs it)" >&2; exit 1; }
    stop
    if accepts "$address"; then
      echo "receiver: something already listens on $address:139" >&2
      exit 1
    fi
    make_state
    mkdir -p "$state"/{lock,state,cache,private,pid,ncalrpc,log,tmp,inbox}
    # The message command runs as the guest account.
    chmod 1777 "$state/tmp"
    chmod 0777 "$state/inbox"
    cat > "$state/smb.conf" <<CONF
[global]
   netbios name = RECEIVER
   workgroup = WORKGROUP
   server role = standalone server
   server min protocol = NT1
   smb ports = 139
   disable netbios = no
   interfaces = $address/8
   bind interfaces only = yes
   dos charset = CP866
   unix charset = UTF-8
   lock directory = $state/lock
   state directory = $state/state
   cache directory = $state/cache
   private dir = $state/private
   pid directory = $state/pid
   ncalrpc dir = $state/ncalrpc
   log file = $state/log/log.%m
   load printers = no
   printcap name = /dev/null
   disable spoolss = yes
   message command = /bin/sh -c 'f=\$(mktemp "$state/inbox/.in.XXXXXX") && cat %s > "\$f" && chmod a+r "\$f" && mv "\$f" "$state/inbox/%t_%f_%L_\${f##*.}.txt"; rm -f %s'
CONF
    smbd=$(command -v smbd || echo /usr/sbin/smbd)
    # A session of its own: when smbd ends, it signals its whole process group.
    $sudo setsid env TMPDIR="$state/tmp" "$smbd" -F --no-process-group -s "$state/smb.conf" \
      -l "$state/log" </dev/null >"$state/log/smbd.out" 2>&1 &
    echo $! > "$state/smbd.pid"
    for _ in $(seq 1 100); do
      if accepts "$address"; then
        echo "receiver: smbd $(cat "$state/smbd.pid") on $address:139, inbox $state/inbox"
        exit 0
      fi
      if ! kill -0 "$(cat "$state/smbd.pid")" 2>/dev/null; then break; fi
      sleep 0.1
    done
    echo "receiver: smbd did not come up; its log:" >&2
    tail -n 20 "$state/log/smbd.out" "$state/log/log.smbd" >&2 2>/dev/null || true
    stop
    exit 1
    ;;
  stop)
    stop
    ;;
  *)
    usage
    ;;
esac
