#!/usr/bin/env bash
# The 32-bit test machine: a Debian 12 guest under qemu (software emulation)
# whose Wine runs 32-bit Windows programs, which this machine's kernel cannot.
#
#   vm32.sh image                 builds the guest once into the cache
#   vm32.sh run [--x] LIST        runs each line of LIST in one boot
#   vm32.sh exec [--x] PROG ARGS  runs one program (a path in the clone)
#   vm32.sh script [--x] FILE     runs a bash script in the guest
#
# The cache (ORTK_VM_CACHE, by default ~/.cache/ortk232/vm32) holds the
# kernel, the initrd and a raw disk image with Wine and a Wine prefix already
# made. It is rebuilt when the functions that make it change (their hash is
# kept next to the image). Runs boot the image with -snapshot, so it never
# changes after it is made; the clone is shared into the guest by 9p at its
# own path, so paths are the same on both sides. Inside the guest, WINE is
# the 32-bit loader, WINEPREFIX the prepared prefix; scripts/prepare-prefix.sh
# is run there before the job, with --x under a private Xvfb display.
#
# A LIST line is a shell command run from the top of the clone, such as
#   build/win32/ortk_dll_tests.exe --gtest_brief=1
# ("$WINE" is put in front of a line whose first word ends in .exe).
# Each line's output goes to a file on the share, not to the serial console,
# and comes back with its exit status.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cache=${ORTK_VM_CACHE:-$HOME/.cache/ortk232/vm32}
mirror=${ORTK_VM_MIRROR:-http://deb.debian.org/debian}
smp=${ORTK_VM_SMP:-1}
timeout_s=${ORTK_VM_TIMEOUT:-2400}

die() {
  echo "vm32: $*" >&2
  exit 1
}

# --- The image -----------------------------------------------------------

# Packages of the guest. Wine's recommended X libraries are named for both
# architectures: without them Wine's X driver lacks the extensions the
# dialogs use on the host. No recommends otherwise (sound, printing, GL).
guest_packages() {
  local x11="libxcomposite1 libxcursor1 libxi6 libxinerama1 libxrandr2 libxrender1 libxfixes3 libxxf86vm1"
  echo linux-image-amd64 wine wine32 wine64 xvfb xauth x11-utils xdotool imagemagick \
    fonts-liberation fonts-wine locales procps kmod
  for lib in $x11; do echo "$lib:amd64 $lib:i386"; done
}

# The guest's init: mounts the usual file systems and the share, runs the
# job named on the kernel command line, writes its exit status next to it
# and powers off. ortk_job=prefix makes the Wine prefix instead.
guest_init() {
  cat <<'EOF'
#!/bin/bash
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin:/usr/lib/wine
export HOME=/root LANG=C.UTF-8
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
hostname ortk32
for word in $(cat /proc/cmdline); do
  case $word in
    ortk_job=*) job=${word#ortk_job=} ;;
    ortk_share=*) share=${word#ortk_share=} ;;
  esac
done
export WINEPREFIX=/opt/ortk/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export ORTK_WINE=/usr/lib/wine/wine WINE=/usr/lib/wine/wine
if [ "$job" = prefix ]; then
  mkdir -p /opt/ortk
  /usr/lib/wine/wine64 wineboot -i >/opt/ortk/wineboot.log 2>&1
  wineserver -w
  # A 32-bit program, so that the 32-bit side of the prefix is complete.
  /usr/lib/wine/wine cmd /c exit >>/opt/ortk/wineboot.log 2>&1
  wineserver -w
  if [ -f $WINEPREFIX/system.reg ] && [ -d $WINEPREFIX/drive_c/windows/syswow64 ]; then
    echo "ORTK-PREFIX-OK"
  else
    echo "ORTK-PREFIX-FAILED"; cat /opt/ortk/wineboot.log
  fi
else
  modprobe 9pnet_virtio && modprobe 9p
  mkdir -p "$share"
  mount -t 9p -o trans=virtio,version=9p2000.L,msize=524288 ortk "$share"
  cd "$share"
  bash "$job" >"$job.log" 2>&1
  echo $? >"$job.status"
fi
sync
echo o >/proc/sysrq-trigger
sleep 60
EOF
}

# Builds the root with debootstrap, the image from it with mkfs.ext4 -d, and
# the Wine prefix in a first boot that writes to the image.
build_image() {
  local work=$cache.new
  # A disk image made by these same functions is reused when only the
  # prefix boot failed before.
  if [ "$(cat "$work/image.stamp" 2>/dev/null)" != "$(image_hash)" ]; then
    make_disk "$work"
  fi
  echo "vm32: first boot, making the Wine prefix (minutes)"
  boot "$work" prefix "" "" >"$work/prefix.log" 2>&1 || true
  grep -q ORTK-PREFIX-OK "$work/prefix.log" ||
    { tail -30 "$work/prefix.log" >&2; die "making the Wine prefix in the guest failed (log: $work/prefix.log)"; }
  image_hash >"$work/stamp"
  rm -rf "$cache"
  mv "$work" "$cache"
}

make_disk() {
  local work=$1
  rm -rf "$work"
  mkdir -p "$work"
  local root=$work/root
  echo "vm32: debootstrap into $root"
  debootstrap --variant=minbase --arch=amd64 bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -20 "$work/debootstrap.log" >&2; die "debootstrap failed (log: $work/debootstrap.log)"; }
  # The guest is offline: the security suite is left out (its i386 index is
  # often inconsistent on the mirror).
  printf 'deb %s bookworm main\ndeb %s bookworm-updates main\n' "$mirror" "$mirror" >"$root/etc/apt/sources.list"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  mount -t proc proc "$root/proc"
  trap 'umount "'"$root"'/proc" 2>/dev/null || true' RETURN
  local in_root=(chroot "$root" env DEBIAN_FRONTEND=noninteractive LC_ALL=C)
  echo "vm32: installing the guest's packages"
  {
    "${in_root[@]}" dpkg --add-architecture i386 &&
      "${in_root[@]}" apt-get update -q &&
      "${in_root[@]}" apt-get install -y -q --no-install-recommends initramfs-tools &&
      sed -i 's/^MODULES=.*/MODULES=list/' "$root/etc/initramfs-tools/initramfs.conf" &&
      printf 'virtio_pci\nvirtio_blk\next4\n' >>"$root/etc/initramfs-tools/modules" &&
      # shellcheck disable=SC2046
      "${in_root[@]}" apt-get install -y -q --no-install-recommends $(guest_packages) &&
      "${in_root[@]}" apt-get clean
  } >"$work/apt.log" 2>&1 || { tail -20 "$work/apt.log" >&2; die "installing the guest's packages failed (log: $work/apt.log)"; }
  umount "$root/proc"
  guest_init >"$root/sbin/ortk-init"
  chmod 755 "$root/sbin/ortk-init"
  echo "/dev/vda / ext4 rw 0 1" >"$root/etc/fstab"
  cp -L "$root/vmlinuz" "$work/vmlinuz" 2>/dev/null || cp "$root"/boot/vmlinuz-* "$work/vmlinuz"
  cp -L "$root/initrd.img" "$work/initrd.img" 2>/dev/null || cp "$root"/boot/initrd.img-* "$work/initrd.img"
  echo "vm32: making the disk image"
  rm -f "$work/image.raw"
  mkfs.ext4 -q -F -L ortk32 -d "$root" "$work/image.raw" 6G >"$work/mkfs.log" 2>&1 ||
    { cat "$work/mkfs.log" >&2; die "mkfs.ext4 failed"; }
  rm -rf "$root"
  image_hash >"$work/image.stamp"
}

image_hash() {
  { declare -f guest_packages guest_init make_disk; echo "$mirror"; } | sha256sum | cut -c1-16
}

# boot DIR JOB SHARE SNAPSHOT [DISK]: one run of the machine with DIR's
# kernel, on DIR's image or on DISK (a qcow2 overlay of it).
boot() {
  local dir=$1 job=$2 share=$3 snapshot=$4 disk=${5:-}
  local drive="file=$dir/image.raw,format=raw,if=virtio"
  [ -n "$disk" ] && drive="file=$disk,format=qcow2,if=virtio"
  # no_timer_check: on a loaded host the emulated timer is late and the
  # kernel's IO-APIC timer check panics.
  local args=(-machine q35 -cpu max,-smap -accel tcg,thread=multi -smp "$smp" -m 4G
    -kernel "$dir/vmlinuz" -initrd "$dir/initrd.img"
    -drive "$drive"
    -nographic -no-reboot -nic none
    -append "root=/dev/vda rw console=ttyS0 init=/sbin/ortk-init panic=1 no_timer_check quiet ortk_job=$job ortk_share=$share")
  [ -n "$snapshot" ] && args+=(-snapshot)
  [ -n "$share" ] && args+=(-virtfs "local,path=$share,mount_tag=ortk,security_model=none,id=ortk")
  timeout "$timeout_s" qemu-system-x86_64 "${args[@]}" </dev/null
}

ensure_image() {
  command -v qemu-system-x86_64 >/dev/null || die "qemu-system-x86_64 is missing (scripts/install-deps.sh installs it)"
  command -v debootstrap >/dev/null || die "debootstrap is missing (scripts/install-deps.sh installs it)"
  if [ -f "$cache/stamp" ] && [ "$(cat "$cache/stamp")" = "$(image_hash)" ] && [ -f "$cache/image.raw" ]; then
    return 0
  fi
  [ "$(id -u)" -eq 0 ] || die "building the guest image needs root (debootstrap, chroot)"
  local start=$SECONDS
  echo "vm32: building the 32-bit test machine in $cache (about 10 minutes, once)"
  build_image
  echo "vm32: image ready in $((SECONDS - start)) s"
}

# --- Runs ----------------------------------------------------------------

# The test prefix is prepared once per version of scripts/prepare-prefix.sh
# and scripts/prefix.d (on a loaded host that takes minutes in the guest): in
# a qcow2 overlay of the image, made by a boot that writes to it. Runs boot
# the overlay with -snapshot.
prepare_job() {
  cat <<'EOF'
# Made by scripts/vm32.sh: prepares the test prefix in the overlay.
mkdir -p /opt/ortk/locales
bash scripts/prepare-prefix.sh </dev/null
EOF
}

prepared_overlay() {
  local hash
  hash=$({ cat "$cache/stamp" "$top"/scripts/prepare-prefix.sh "$top"/scripts/prefix.d/*.sh \
    "$top"/scripts/wine-env.sh; declare -f prepare_job; } | sha256sum | cut -c1-16)
  overlay=$cache/prepared-$hash.qcow2
  [ -f "$overlay" ] && return 0
  command -v qemu-img >/dev/null || die "qemu-img is missing (scripts/install-deps.sh installs qemu-utils)"
  echo "vm32: preparing the test prefix in the guest (once per version of scripts/prefix.d)" >&2
  rm -f "$cache"/prepared-*.qcow2
  qemu-img create -q -f qcow2 -b "$cache/image.raw" -F raw "$overlay.new" || die "qemu-img failed"
  local job=$top/build/vm32/prepare.sh start=$SECONDS
  prepare_job >"$job"
  rm -f "$job.status"
  boot "$cache" build/vm32/prepare.sh "$top" "" "$overlay.new" >"$top/build/vm32/prepare.console" 2>&1 || true
  if [ "$(cat "$job.status" 2>/dev/null)" != 0 ]; then
    cat "$job.log" >&2 2>/dev/null
    rm -f "$overlay.new"
    die "preparing the test prefix in the guest failed (console: build/vm32/prepare.console)"
  fi
  mv "$overlay.new" "$overlay"
  echo "vm32: test prefix prepared in $((SECONDS - start)) s" >&2
}

# run_job X JOBFILE: boots once and runs JOBFILE (a path inside the clone)
# in the prepared prefix; returns the job's exit status.
run_job() {
  local x=$1 job=$2
  local rel=${job#"$top"/}
  mkdir -p "$top/build/vm32"
  prepared_overlay
  local wrapper=$top/build/vm32/${rel//\//_}
  wrapper=${wrapper%.sh}.boot.sh
  cat >"$wrapper" <<EOF
# Made by scripts/vm32.sh: runs the job in the prepared prefix.
cd "$top"
export ORTK_VM32=1 LC_ALL=C.UTF-8
mark() { echo "vm32 guest: \$1 at \$(cut -d' ' -f1 /proc/uptime) s" >&2; }
mark "job started"
# Wine maps a program's sections into memory, and through the 9p share a
# large section comes back partly zero: the programs and DLLs run from copies
# on the guest's own disk, mounted over the shared files.
mkdir -p /opt/ortk/programs
for file in build/win32/*.exe build/win32/*.dll; do
  [ -f "\$file" ] || continue
  copy=/opt/ortk/programs/\${file//\//_}
  cp "\$file" "\$copy" && mount --bind "\$copy" "\$file"
done
# The in-process tests look for the compiled locales in build/locales (next
# to the folder of the program); prefix.d/util.sh put them next to the prefix.
mkdir -p build/locales && mount --bind /opt/ortk/locales build/locales
if [ -n "$x" ]; then
  Xvfb :7 -screen 0 1280x1024x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
  export DISPLAY=:7
  for _ in \$(seq 50); do [ -e /tmp/.X11-unix/X7 ] && break; sleep 0.2; done
fi
wineserver -p >/dev/null 2>&1
"\$WINE" cmd /c exit >/dev/null 2>&1 </dev/null
mark "first program done"
bash "$rel"
status=\$?
mark "job done"
wineserver -k >/dev/null 2>&1
exit \$status
EOF
  rm -f "$wrapper.status" "$wrapper.log"
  local start=$SECONDS
  boot "$cache" "${wrapper#"$top"/}" "$top" snapshot "$overlay" >"${wrapper%.sh}.console" 2>&1 || true
  echo "vm32: boot took $((SECONDS - start)) s" >&2
  if [ ! -f "$wrapper.status" ]; then
    tail -20 "${wrapper%.sh}.console" >&2
    die "the guest did not finish the job (console: ${wrapper%.sh}.console)"
  fi
  cat "$wrapper.log"
  return "$(cat "$wrapper.status")"
}

# run_list X LIST: one boot; each line's output and status go to
# build/vm32/NAME/N.out and N.status (NAME: LIST's name without its
# extension), are printed here afterwards, and any failure fails.
run_list() {
  local x=$1 list=$2
  local name
  name=$(basename "$list")
  local dir=$top/build/vm32/${name%.*}
  rm -rf "$dir"
  mkdir -p "$dir"
  local n=0
  {
    echo 'n=0'
    while IFS= read -r line || [ -n "$line" ]; do
      [ -z "${line// /}" ] && continue
      n=$((n + 1))
      case ${line%% *} in
        *.exe) line="\"\$WINE\" $line" ;;
      esac
      printf '%s\n' "$line" >"$dir/$n.cmd"
      printf '( %s ) >%q 2>&1 </dev/null; echo $? >%q\n' "$line" "$dir/$n.out" "$dir/$n.status"
    done <"$list"
  } >"$dir/job.sh"
  [ "$n" -gt 0 ] || die "nothing to run in $list"
  run_job "$x" "$dir/job.sh" >"$dir/guest.log" 2>&1 || true
  grep -E '^vm32' "$dir/guest.log" || true
  local failed=0 i status
  for i in $(seq 1 "$n"); do
    status=$(cat "$dir/$i.status" 2>/dev/null || echo "not run")
    echo "--- $(cat "$dir/$i.cmd")  [exit $status]"
    tr -d '\r' <"$dir/$i.out" 2>/dev/null
    [ "$status" = 0 ] || failed=$((failed + 1))
  done
  [ "$failed" -eq 0 ]
}

x=""
command=${1:-}
shift || true
if [ "${1:-}" = --x ]; then
  x=1
  shift
fi
case $command in
  image)
    ensure_image
    ;;
  run)
    [ $# -eq 1 ] || die "usage: vm32.sh run [--x] LIST"
    ensure_image
    run_list "$x" "$(realpath "$1")"
    ;;
  exec)
    [ $# -ge 1 ] || die "usage: vm32.sh exec [--x] PROGRAM [ARGS...]"
    ensure_image
    mkdir -p "$top/build/vm32"
    printf '%q ' "$@" >"$top/build/vm32/exec.list"
    run_list "$x" "$top/build/vm32/exec.list"
    ;;
  script)
    [ $# -eq 1 ] || die "usage: vm32.sh script [--x] FILE"
    ensure_image
    file=$(realpath "$1")
    case $file in "$top"/*) ;; *) die "$1 is not inside the clone ($top)" ;; esac
    run_job "$x" "$file"
    ;;
  *)
    sed -n '2,23p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
