# Private networks for VELD72 and virtual units, sourced by the start command
# and the end-to-end tests. An "app" namespace holds a bridge (10.72.0.1/24,
# also its default route, so the discovery broadcast goes onto it); each unit
# namespace is joined to that bridge by a veth pair and gets 10.72.0.(N+1).
# Nothing in these namespaces is connected to the machine's own network.
#
#   veld72_net_create PREFIX        namespace PREFIX-app
#   veld72_net_add_unit PREFIX N    namespace PREFIX-uN, address 10.72.0.(N+1)
#   veld72_net_delete PREFIX        stops what runs in them and deletes them
#
# VELD72_SUDO (empty or "sudo") prefixes every privileged command.

veld72_net_create() {
  local app="$1-app"
  $VELD72_SUDO ip netns add "$app" || return 1
  $VELD72_SUDO ip -n "$app" link set lo up &&
  $VELD72_SUDO ip -n "$app" link add br0 type bridge &&
  $VELD72_SUDO ip -n "$app" addr add 10.72.0.1/24 dev br0 &&
  $VELD72_SUDO ip -n "$app" link set br0 up &&
  $VELD72_SUDO ip -n "$app" route add default dev br0
}

veld72_net_add_unit() {
  local app="$1-app" unit="$1-u$2"
  $VELD72_SUDO ip netns add "$unit" || return 1
  $VELD72_SUDO ip -n "$unit" link set lo up &&
  $VELD72_SUDO ip -n "$app" link add "u$2" type veth peer name eth0 netns "$unit" &&
  $VELD72_SUDO ip -n "$app" link set "u$2" master br0 &&
  $VELD72_SUDO ip -n "$app" link set "u$2" up &&
  $VELD72_SUDO ip -n "$unit" addr add "10.72.0.$(( $2 + 1 ))/24" dev eth0 &&
  $VELD72_SUDO ip -n "$unit" link set eth0 up
}

veld72_net_delete() {
  local ns pids
  for ns in $($VELD72_SUDO ip netns list 2>/dev/null | awk '{print $1}' | grep -E "^$1-(app|u[0-9]+)$"); do
    pids=$($VELD72_SUDO ip netns pids "$ns" 2>/dev/null || true)
    if [ -n "$pids" ]; then
      $VELD72_SUDO kill -TERM $pids 2>/dev/null || true
      for _ in $(seq 20); do
        [ -z "$($VELD72_SUDO ip netns pids "$ns" 2>/dev/null)" ] && break
        sleep 0.1
      done
      pids=$($VELD72_SUDO ip netns pids "$ns" 2>/dev/null || true)
      [ -n "$pids" ] && $VELD72_SUDO kill -KILL $pids 2>/dev/null
    fi
    $VELD72_SUDO ip netns del "$ns" 2>/dev/null || true
  done
}
