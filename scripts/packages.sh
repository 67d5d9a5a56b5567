# Sourced by the scripts that need Debian packages:
#   . scripts/packages.sh
#   install_missing PACKAGE...
# Installs those of the packages that are not installed yet, as root or
# through sudo, waiting while someone else holds the package lock. Each
# script keeps its own list.

# apt-get as root, waiting while someone else holds the package lock.
apt_get() {
  local as_root=() out
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  for _ in $(seq 90); do
    if out=$("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "$@" 2>&1); then
      return 0
    fi
    grep -qE 'Could not get lock|Unable to (acquire|lock)' <<<"$out" || { echo "$out" >&2; return 1; }
    echo "apt-get: the package lock is held by someone else; waiting" >&2
    sleep 20
  done
  echo "$out" >&2
  return 1
}

install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null; then
    echo "Need root or sudo to install: ${missing[*]}" >&2
    return 1
  fi
  echo "Installing: ${missing[*]}"
  apt_get update -qq
  apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
