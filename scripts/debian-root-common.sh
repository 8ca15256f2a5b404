# Sourced by the checks that start Tilvane in a fresh Debian root made with
# debootstrap (check-deb.sh, check-bundle.sh): how to reach root, which
# mirror to take, and a clock for each step.

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

# The mirror the host's apt uses, so that no other network is needed.
mirror=${DEBIAN_MIRROR:-}
if [ -z "$mirror" ]; then
  mirror=$(grep -hs '^URIs:' /etc/apt/sources.list.d/debian.sources | awk '{print $2}' |
    grep -v security | head -n1 || true)
fi
if [ -z "$mirror" ]; then
  mirror=$(grep -hs '^deb ' /etc/apt/sources.list | awk '{print $2}' | grep -v security |
    head -n1 || true)
fi
mirror=${mirror:-http://deb.debian.org/debian}

# Prints how long the step named $1 took since the last lap.
step_start=$(date +%s)
lap() {
  local now
  now=$(date +%s)
  echo "== $1: $((now - step_start)) s"
  step_start=$now
}
begin=$(date +%s)
