#!/usr/bin/env bash
# Runs `make check` as a new user would, on a clean Debian 12: a minimal
# debootstrapped root with nothing added but make, git and ca-certificates,
# the current commit cloned into it, and `make check` run as root in a chroot.
#
# Every run starts from a pristine root, unpacked from a tarball of the
# debootstrapped system kept in the cache folder (outside the clone). The
# .deb files that the run downloads are kept there too, so that a later run
# downloads less; what gets installed is still decided inside the root.
#
#   ORTK_CLEAN_CACHE  cache folder (default /var/cache/ortk232/clean)
#   ORTK_CLEAN_KEEP=1 keep the root afterwards, unmounted, to look into it
#
# Needs root. Prints the last line of the inner run and the elapsed time;
# exits with the inner run's status (2 when the root could not be set up).
set -uo pipefail

# The whole script is one block, read before it runs: editing the file or
# switching branches during the long run cannot change what runs.
{
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${ORTK_CLEAN_CACHE:-/var/cache/ortk232/clean}
suite=bookworm
include=make,git,ca-certificates
mirror=http://deb.debian.org/debian
pristine="$cache/minbase-$suite-${include//,/-}.tar"
log="$repo/build/check-clean.log"

say() { echo "check-clean: $*"; }
die() {
  say "$*" >&2
  exit 2
}

[ "$(id -u)" -eq 0 ] || die "needs root (debootstrap, mount and chroot)"
commit=$(git -C "$repo" rev-parse HEAD) || die "$repo is not a git clone"
if [ -n "$(git -C "$repo" status --porcelain --untracked-files=no)" ]; then
  say "uncommitted changes are not part of the run: it tests $commit"
fi
if ! command -v debootstrap >/dev/null; then
  say "installing debootstrap"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap \
    >/dev/null || die "cannot install debootstrap"
fi
mkdir -p "$cache/apt-archives" "$repo/build" || die "cannot create $cache"

started=$(date +%s)

# The pristine root, made once: a root just made by debootstrap, as a tarball.
if [ ! -f "$pristine" ]; then
  say "debootstrapping a minimal $suite root (once; kept as $pristine)"
  staging=$(mktemp -d "$cache/debootstrap.XXXXXX") || die "cannot create a staging folder"
  if ! debootstrap --variant=minbase --include="$include" "$suite" "$staging" "$mirror" \
    >"$cache/debootstrap.log" 2>&1; then
    rm -rf --one-file-system "$staging"
    die "debootstrap failed, see $cache/debootstrap.log"
  fi
  tar -C "$staging" --numeric-owner -cpf "$pristine.part" . &&
    mv "$pristine.part" "$pristine" || die "cannot write $pristine"
  rm -rf --one-file-system "$staging"
fi

root=$(mktemp -d /var/tmp/ortk232-clean.XXXXXX) || die "cannot create the root folder"
mounted=()

# Ends what still runs inside the root (a server a failed suite left behind),
# unmounts everything in reverse order, and removes the root unless kept.
cleanup() {
  local pid i
  for pid in /proc/[0-9]*; do
    [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ] && kill -KILL "${pid#/proc/}" 2>/dev/null
  done
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" ||
      say "cannot unmount ${mounted[i]}"
  done
  mounted=()
  if findmnt -rn -o TARGET | grep -q "^$root/"; then
    say "something is still mounted under $root: not removing it"
  elif [ "${ORTK_CLEAN_KEEP:-0}" = 1 ]; then
    say "root kept in $root"
  else
    rm -rf --one-file-system "$root"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mount_in() { # target, mount arguments...
  local target="$root/$1"
  shift
  mkdir -p "$target" && mount "$@" "$target" || die "cannot mount $target"
  mounted+=("$target")
  # A bind mount must not pass later mounts back to the host's tree.
  mount --make-private "$target" || die "cannot make $target private"
}

tar -C "$root" --numeric-owner -xpf "$pristine" || die "cannot unpack $pristine"
# mktemp made the folder private; as / it must be open to apt's own user.
chmod 0755 "$root"

# The host's apt sources and their keys, and its name server.
cp -L /etc/resolv.conf "$root/etc/resolv.conf" || die "cannot copy /etc/resolv.conf"
rm -f "$root/etc/apt/sources.list"
[ -f /etc/apt/sources.list ] && cp /etc/apt/sources.list "$root/etc/apt/"
for file in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
  /etc/apt/trusted.gpg.d/* /etc/apt/keyrings/*; do
  [ -f "$file" ] || continue
  mkdir -p "$root$(dirname "$file")" && cp "$file" "$root$file"
done

# The current commit, cloned as a user would clone it.
git clone -q --no-hardlinks "$repo" "$root/root/ortk232" &&
  git -C "$root/root/ortk232" checkout -q --detach "$commit" || die "cannot clone $commit"

mount_in proc -t proc proc
mount_in sys -t sysfs sysfs
mount_in dev --bind /dev
mount_in dev/pts --bind /dev/pts
mount_in dev/shm -t tmpfs -o mode=1777,nosuid,nodev tmpfs
mount_in var/cache/apt/archives --bind "$cache/apt-archives"

setup=$(($(date +%s) - started))
say "running make check on ${commit:0:12} in $root"
chroot "$root" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  /bin/sh -c 'cd /root/ortk232 && make check' 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
elapsed=$(($(date +%s) - started))

last=$(tr -d '\r' <"$log" | grep -v '^[[:space:]]*$' | tail -n 1)
say "last line: $last"
say "elapsed: $((elapsed / 60))m $((elapsed % 60))s (root set up in ${setup}s), status $status, log in $log"
exit "$status"
}
