#!/usr/bin/env bash
# The real HID path through a Linux kernel: boots a small VM (software
# emulation, no KVM needed) whose init serves the virtual wired mouse, then the
# RGB keyboard, then the pad as kernel HID devices (uhidbridge on /dev/uhid)
# and drives each with zorvikctl's real backend: hidapi on hidraw, the report
# descriptor parser on what the kernel exposes. The transfers of each apply
# must equal, byte for byte, those of the same apply against the emulator
# alone.
# Exit status: 0 passed, 1 failed, 77 skipped (no qemu or no kernel here).
#   tests/vm/run-vm-test.sh [BUILD_DIR]     (default: build-vm)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build-vm}
WORK=$BUILD/vmtest
TIMEOUT=${ZV_VM_TIMEOUT:-240}

skip() { echo "vm test: SKIPPED: $*"; exit 77; }
fail() { echo "vm test: FAILED: $*"; exit 1; }

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; elif command -v sudo >/dev/null; then sudo -n "$@"; else return 1; fi; }

# ---- what the VM needs on the host -------------------------------------------------
need=()
command -v qemu-system-x86_64 >/dev/null || need+=(qemu-system-x86)
ls /boot/vmlinuz-* >/dev/null 2>&1 || need+=(linux-image-amd64)
[ -x /bin/busybox ] && file -L /bin/busybox 2>/dev/null | grep -q static || need+=(busybox-static)
command -v cpio >/dev/null || need+=(cpio)
command -v modprobe >/dev/null || need+=(kmod)
if [ ${#need[@]} -gt 0 ]; then
    echo "vm test: installing ${need[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}" >/dev/null 2>&1 ||
        { as_root apt-get update >/dev/null 2>&1 &&
          as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}" >/dev/null 2>&1; } ||
        true
fi
command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is not installed and could not be installed"
KERNEL=$(ls -1 /boot/vmlinuz-* 2>/dev/null | sort -V | tail -n1 || true)
[ -n "$KERNEL" ] && [ -r "$KERNEL" ] || skip "no readable kernel in /boot (linux-image-amd64)"
KVER=${KERNEL#/boot/vmlinuz-}
[ -d "/lib/modules/$KVER" ] || skip "no modules for kernel $KVER"
BUSYBOX=$(command -v busybox || true)
[ -n "$BUSYBOX" ] && ! ldd "$BUSYBOX" >/dev/null 2>&1 || skip "no static busybox (busybox-static)"
command -v cpio >/dev/null || skip "cpio is not installed"

# ---- the programs ------------------------------------------------------------------------
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZV_VMTEST=ON -DZV_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" --target zorvikctl uhidbridge appdata >"$BUILD/vmtest-build.log" 2>&1 ||
    { tail -n 30 "$BUILD/vmtest-build.log"; fail "build failed"; }
APP=$BUILD/app
[ -x "$APP/zorvikctl" ] && [ -x "$APP/uhidbridge" ] || fail "zorvikctl or uhidbridge missing in $APP"

# ---- the expected transfers: the same apply against the emulator alone -----------------
rm -rf "$WORK"
mkdir -p "$WORK/emu-user" "$WORK/root"
# The virtual machine serves one device at a time, each with an installation
# that configures it alone: the demo configuration without its keyboard and
# pad (app), without its mouse and pad (app-kb), without its mouse and
# keyboard (app-pad). Both runs use the same three.
CFG=$WORK/app/cfg.ini
mkdir -p "$WORK/app" "$WORK/app-kb" "$WORK/app-pad"
sed -e 's/^KbFw=.*/KbFw=0/' -e 's/^PadFw=.*/PadFw=0/' "$APP/cfg.ini" >"$CFG"
sed -e 's/^MsFw=.*/MsFw=0/' -e 's/^PadFw=.*/PadFw=0/' "$APP/cfg.ini" >"$WORK/app-kb/cfg.ini"
sed -e 's/^MsFw=.*/MsFw=0/' -e 's/^KbFw=.*/KbFw=0/' "$APP/cfg.ini" >"$WORK/app-pad/cfg.ini"
grep -q '^KbFw=2[23]$' "$WORK/app-kb/cfg.ini" || fail "the demo configuration has no RGB keyboard (KbFw=22 or 23)"
grep -q '^PadFw=[1-9]' "$WORK/app-pad/cfg.ini" || fail "the demo configuration has no pad"
for d in app app-kb app-pad; do cp -r "$APP/text" "$WORK/$d/"; done
# The second apply reads back what the first wrote (the virtual mouse's
# state is kept in the user folder between runs).
emu() {
    (
        unset QT_QPA_PLATFORM
        export HOME=$WORK/emu-home
        "$APP/zorvikctl" --app-dir "$WORK/${APPDIR:-app}" --user-dir "$WORK/emu-user${APPDIR:+-$APPDIR}" --emulate "$@"
    )
}
emu --journal "$WORK/emu-journal" apply >"$WORK/emu-apply.out" 2>&1 ||
    { cat "$WORK/emu-apply.out"; fail "the emulator-only apply failed"; }
emu --journal "$WORK/emu-journal-readback" apply >"$WORK/emu-readback.out" 2>&1 ||
    { cat "$WORK/emu-readback.out"; fail "the emulator-only second apply failed"; }
# The state without its "== name ==" heading, as the bridge writes it.
emu emu-state 2>/dev/null | tail -n +2 >"$WORK/emu-state" || fail "zorvikctl --emulate emu-state failed"
for d in kb pad; do
    APPDIR=app-$d emu --journal "$WORK/emu-journal-$d" apply >"$WORK/emu-apply-$d.out" 2>&1 ||
        { cat "$WORK/emu-apply-$d.out"; fail "the emulator-only apply to the $d failed"; }
    APPDIR=app-$d emu emu-state 2>/dev/null | tail -n +2 >"$WORK/emu-state-$d" ||
        fail "zorvikctl --emulate emu-state failed for the $d"
done

# ---- the initramfs ----------------------------------------------------------------------------
R=$WORK/root
mkdir -p "$R"/{bin,sbin,proc,sys,dev,tmp,zv/mod}
cp "$BUSYBOX" "$R/bin/busybox"
ln -s busybox "$R/bin/sh"
cp "$ROOT/tests/vm/init.sh" "$R/init"
chmod +x "$R/init"
# The application folder as the build has it: the programs beside cfg.ini and the texts.
mkdir -p "$R/zv/app"
cp -r "$CFG" "$APP/text" "$APP/zorvikctl" "$APP/uhidbridge" "$R/zv/app/"
for d in kb pad; do
    mkdir -p "$R/zv/app-$d"
    cp "$WORK/app-$d/cfg.ini" "$R/zv/app-$d/"
    ln -s ../app/text "$R/zv/app-$d/text"
done

# Shared libraries at the paths the loader looks in.
for exe in "$APP/zorvikctl" "$APP/uhidbridge"; do
    ldd "$exe" | awk '/=> \//{print $3} /^\s*\/.*ld-linux/{print $1}'
done | sort -u | while read -r lib; do
    mkdir -p "$R$(dirname "$lib")"
    cp -L "$lib" "$R$lib"
done
mkdir -p "$R/lib64"
[ -e "$R/lib64/ld-linux-x86-64.so.2" ] || cp -L /lib64/ld-linux-x86-64.so.2 "$R/lib64/"

# uhid and hid-generic with what they depend on, in load order.
: >"$R/zv/modules.order"
for m in uhid hid-generic; do
    modprobe -S "$KVER" --show-depends "$m" 2>/dev/null | awk '$1 == "insmod" {print $2}'
done | awk '!seen[$0]++' | while read -r ko; do
    case $ko in
    *.ko) cp "$ko" "$R/zv/mod/" ;;
    *.ko.xz) xz -dc "$ko" >"$R/zv/mod/$(basename "${ko%.xz}")"; ko=${ko%.xz} ;;
    *.ko.zst) zstd -qdc "$ko" >"$R/zv/mod/$(basename "${ko%.zst}")"; ko=${ko%.zst} ;;
    *) continue ;;
    esac
    echo "/zv/mod/$(basename "$ko")" >>"$R/zv/modules.order"
done
grep -q uhid.ko "$R/zv/modules.order" || skip "kernel $KVER has no uhid module"

(cd "$R" && find . | cpio -o -H newc --quiet | gzip -1) >"$WORK/initrd.gz"

# ---- the boot ---------------------------------------------------------------------------------
echo "vm test: booting $KERNEL (timeout ${TIMEOUT}s)"
set +e
timeout --foreground -k 5 "$TIMEOUT" qemu-system-x86_64 -accel tcg -cpu max -m 1024 -nographic -no-reboot \
    -kernel "$KERNEL" -initrd "$WORK/initrd.gz" -append 'console=ttyS0 panic=-1 quiet loglevel=3' \
    </dev/null >"$WORK/console.raw" 2>&1
QRC=$?
set -e
tr -d '\r' <"$WORK/console.raw" >"$WORK/console.log"
# A machine whose qemu never gets the kernel as far as our init cannot run this
# test at all; once our init runs, anything that goes wrong is a failure.
if ! grep -q 'ZV-VM: init started' "$WORK/console.log"; then
    tail -n 20 "$WORK/console.log"
    skip "qemu did not boot the test kernel to its init within ${TIMEOUT}s (status $QRC)"
fi
if [ $QRC -eq 124 ] || [ $QRC -eq 137 ]; then
    tail -n 40 "$WORK/console.log"
    fail "the VM did not finish within ${TIMEOUT}s"
fi
grep -q '^ZV-VM: done' "$WORK/console.log" || { tail -n 60 "$WORK/console.log"; fail "the VM did not run to the end (qemu status $QRC)"; }

section() { awk -v s="$1" '$0 == "ZV-VM-BEGIN " s {on=1; next} $0 == "ZV-VM-END " s {on=0} on' "$WORK/console.log"; }
status() { sed -n "s/^ZV-VM: $1 rc=//p" "$WORK/console.log" | head -n1; }

grep '^ZV-VM' "$WORK/console.log" | grep -v -e '-BEGIN' -e '-END' || true
failed=0
check() { if eval "$2"; then echo "vm test: ok: $1"; else echo "vm test: NOT OK: $1"; failed=1; fi; }

section list >"$WORK/list.out"
section list-two >"$WORK/list-two.out"
section list-after-unplug >"$WORK/list-after-unplug.out"
section watch >"$WORK/watch.out"
sed 's/^/vm test: watch: /' "$WORK/watch.out"
section journal-before >"$WORK/vm-journal-before"
section journal-apply >"$WORK/vm-journal-apply"
section journal-readback >"$WORK/vm-journal-readback-all"
section state >"$WORK/vm-state"
# Each command's transfers: what the bridge's journal gained meanwhile.
tail -n +"$(($(wc -l <"$WORK/vm-journal-before") + 1))" "$WORK/vm-journal-apply" >"$WORK/vm-journal"
tail -n +"$(($(wc -l <"$WORK/vm-journal-apply") + 1))" "$WORK/vm-journal-readback-all" >"$WORK/vm-journal-readback"
# Mice listed: one line per collection, the first collection once per node.
mice() { grep -c '#col1 .*wired mouse' "$1" || true; }

check "zorvikctl list finds the mouse's collections on one hidraw node" \
    '[ "$(status list)" = 0 ] && [ "$(mice "$WORK/list.out")" = 1 ] && [ "$(grep -c "wired mouse" "$WORK/list.out")" = 4 ]'
check "zorvikctl apply through the kernel" '[ "$(status apply)" = 0 ]'
check "the apply moved transfers" '[ -s "$WORK/vm-journal" ]'
check "the apply's transfers equal the emulator-only apply's, byte for byte" 'cmp -s "$WORK/emu-journal" "$WORK/vm-journal"'
check "read-back: a second apply through the kernel" '[ "$(status readback)" = 0 ]'
check "read-back: its transfers (reads of what the first wrote) equal the emulator-only run's" \
    '[ -s "$WORK/vm-journal-readback" ] && cmp -s "$WORK/emu-journal-readback" "$WORK/vm-journal-readback"'
check "the mouse behind the kernel holds what the emulator-only mouse holds" \
    '[ -s "$WORK/vm-state" ] && cmp -s "$WORK/emu-state" "$WORK/vm-state"'
check "a second mouse is listed when plugged" '[ "$(status list-two)" = 0 ] && [ "$(mice "$WORK/list-two.out")" = 2 ]'
check "one mouse is listed after an unplug" \
    '[ "$(status list-after-unplug)" = 0 ] && [ "$(mice "$WORK/list-after-unplug.out")" = 1 ]'
check "the watcher reports the plug and the unplug" \
    'grep -q "^watching hidraw nodes" "$WORK/watch.out" && grep -q "^added /dev/hidraw1 " "$WORK/watch.out" &&
     grep -q "^removed /dev/hidraw0 " "$WORK/watch.out"'
check "the firmware saw no protocol violation" '! section bridge1-stderr | grep -q violation'
for d in kb pad; do
    section "journal-before-$d" >"$WORK/vm-journal-before-$d"
    section "journal-apply-$d" >"$WORK/vm-journal-apply-$d"
    section "state-$d" >"$WORK/vm-state-$d"
    tail -n +"$(($(wc -l <"$WORK/vm-journal-before-$d") + 1))" "$WORK/vm-journal-apply-$d" >"$WORK/vm-journal-$d"
    check "$d: zorvikctl apply through the kernel" "[ \"\$(status apply-$d)\" = 0 ]"
    check "$d: the apply's transfers equal the emulator-only apply's, byte for byte" \
        "[ -s \"\$WORK/vm-journal-$d\" ] && cmp -s \"\$WORK/emu-journal-$d\" \"\$WORK/vm-journal-$d\""
    check "$d: the device behind the kernel holds what the emulator-only one holds" \
        "[ -s \"\$WORK/vm-state-$d\" ] && cmp -s \"\$WORK/emu-state-$d\" \"\$WORK/vm-state-$d\""
    check "$d: the firmware saw no protocol violation" "! section bridge-$d-stderr | grep -q violation"
done

if [ $failed -ne 0 ]; then
    echo "--- emulator journal vs VM journal (first differences)"
    diff "$WORK/emu-journal" "$WORK/vm-journal" | cut -c1-160 | head -n 20 || true
    diff "$WORK/emu-journal-readback" "$WORK/vm-journal-readback" | cut -c1-160 | head -n 20 || true
    diff "$WORK/emu-state" "$WORK/vm-state" | head -n 20 || true
    for d in kb pad; do
        diff "$WORK/emu-journal-$d" "$WORK/vm-journal-$d" | cut -c1-160 | head -n 20 || true
        diff "$WORK/emu-state-$d" "$WORK/vm-state-$d" | head -n 20 || true
    done
    echo "--- console: $WORK/console.log"
    exit 1
fi
echo "vm test: PASSED"
