#!/usr/bin/env bash
# Runs the README's test command on a fresh Debian 13 (trixie) root made from Debian's packages
# with mmdebstrap, or, with --package, builds and checks the Debian package there.
#   scripts/test-debian13.sh [--package]
# The tree copied in is this checkout's HEAD with the uncommitted changes to its tracked files.
# It needs root (for the chroot and its mounts) and Debian's mirrors, and takes about ten minutes
# for the tests, more for the package. Everything it makes is removed when it ends, also when the
# run fails or is interrupted.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
case "${1:-}" in
  "") inside=(./scripts/test.sh) ;;
  --package) inside=(./scripts/package.sh /var/tmp/pinmark-package) ;;
  *) echo "usage: test-debian13.sh [--package]" >&2; exit 2 ;;
esac
if [ "$(id -u)" -ne 0 ]; then exec sudo -- "$0" "$@"; fi
if ! command -v mmdebstrap >/dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends mmdebstrap
fi

work="$(mktemp -d /var/tmp/pinmark-trixie.XXXXXX)"
chroot_dir="$work/root"
cleanup() {
    # Mounts first: the root is removed only once nothing of the host is bound inside it.
    for target in dev sys proc; do
        if mountpoint -q "$chroot_dir/$target"; then umount -R "$chroot_dir/$target"; fi
    done
    if findmnt -rn -o TARGET | grep -q "^$chroot_dir/"; then
        echo "test-debian13.sh: $chroot_dir still has mounts; left in place" >&2
        return
    fi
    rm -rf --one-file-system "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The same root the README's commands start from: Debian's packages, with sudo and git as on
# a developer's machine, and ca-certificates for the mirrors.
mmdebstrap --variant=apt --include=ca-certificates,sudo,git trixie "$chroot_dir"
# /dev with its own mounts: shared memory for the engine and the compositors, ptys for tests.
for target in proc sys dev; do
    mount --rbind "/$target" "$chroot_dir/$target"
    mount --make-rslave "$chroot_dir/$target"
done
cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"

src="$chroot_dir/src/pinmark"
git clone -q --no-hardlinks "$root" "$src"
git -C "$src" checkout -q --detach "$(git -C "$root" rev-parse HEAD)"
if ! git -C "$root" diff --quiet HEAD; then
    git -C "$root" diff --binary HEAD | git -C "$src" apply --whitespace=nowarn
fi

start=$(date +%s)
status=0
chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    /bin/bash -c 'cd /src/pinmark && "$@"' bash "${inside[@]}" || status=$?
echo "test-debian13.sh: ${inside[*]} ended with $status after $(( $(date +%s) - start )) s on $(
    chroot "$chroot_dir" sh -c '. /etc/os-release; echo "$PRETTY_NAME"')"
exit "$status"
