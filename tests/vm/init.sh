#!/bin/sh
# Init of the test VM: loads the HID modules, serves the virtual wired mouse,
# then the RGB keyboard, then the pad through /dev/uhid and drives each with
# zorvikctl's real backend. Every result
# is printed between ZV-VM markers for the host to pick up; then power off.
export PATH=/bin:/sbin
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mkdir -p /tmp /run
mount -t tmpfs tmp /tmp
export HOME=/tmp/home XDG_CONFIG_HOME=/tmp/home/.config XDG_DATA_HOME=/tmp/home/.local/share
mkdir -p "$HOME"
unset QT_QPA_PLATFORM
echo "ZV-VM: init started"

for m in $(cat /zv/modules.order); do insmod "$m" || echo "ZV-VM: insmod $m failed"; done

APP=/zv/app
CTL="$APP/zorvikctl --app-dir $APP --user-dir /tmp/user"

# Waits (up to 10 s) for a file to appear.
wait_for() {
    i=0
    while [ ! -e "$1" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
    [ -e "$1" ]
}

# Waits (up to 10 s) until there are $1 hidraw nodes.
wait_nodes() {
    i=0
    while [ "$(ls /sys/class/hidraw 2>/dev/null | wc -l)" != "$1" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
    echo "ZV-VM: hidraw nodes: $(ls /sys/class/hidraw 2>/dev/null | tr '\n' ' ')"
}

section() {
    echo "ZV-VM-BEGIN $1"
    cat "$2" 2>/dev/null
    echo "ZV-VM-END $1"
}

$APP/uhidbridge --app-dir $APP --user-dir /tmp/bridge1 --journal /tmp/j1 --state /tmp/s1 --ready /tmp/r1 \
    --name mirex 2>/tmp/bridge1.err &
B1=$!
wait_for /tmp/r1 || echo "ZV-VM: the bridge did not start"
wait_nodes 1

$CTL list >/tmp/out 2>&1; echo "ZV-VM: list rc=$?"
section list /tmp/out
cp /tmp/j1 /tmp/j1.before

$CTL apply >/tmp/out 2>&1; echo "ZV-VM: apply rc=$?"
section apply /tmp/out
cp /tmp/j1 /tmp/j1.apply

# Read-back: a second apply finds the mouse again and reads its mode and
# first block back through the kernel, then writes the same profile.
$CTL apply >/tmp/out 2>&1; echo "ZV-VM: readback rc=$?"
section readback /tmp/out
cp /tmp/j1 /tmp/j1.readback
section journal-before /tmp/j1.before
section journal-apply /tmp/j1.apply
section journal-readback /tmp/j1.readback
section state /tmp/s1

# Hot-plug: a second mouse arrives, then the first goes away, while the
# program's own watcher (udev, or its polling fallback) reports both.
$CTL watch 60 >/tmp/watch 2>&1 &
W=$!
wait_for /tmp/watch
sleep 1
$APP/uhidbridge --app-dir $APP --user-dir /tmp/bridge2 --journal /tmp/j2 --ready /tmp/r2 --name mirex2 \
    2>/tmp/bridge2.err &
B2=$!
wait_for /tmp/r2 || echo "ZV-VM: the second bridge did not start"
wait_nodes 2
$CTL list >/tmp/out 2>&1; echo "ZV-VM: list-two rc=$?"
section list-two /tmp/out
kill $B1; wait $B1
wait_nodes 1
$CTL list >/tmp/out 2>&1; echo "ZV-VM: list-after-unplug rc=$?"
section list-after-unplug /tmp/out
sleep 2  # the polling watcher looks once a second
kill $W; wait $W
section watch /tmp/watch
kill $B2; wait $B2
section bridge1-stderr /tmp/bridge1.err
section bridge2-stderr /tmp/bridge2.err

# The RGB keyboard and the pad, each alone behind the kernel with an
# installation that configures it alone (/zv/app-kb, /zv/app-pad): the
# apply's transfers and the device's state afterwards.
serve_alone() {
    $APP/uhidbridge --app-dir /zv/app-$1 --user-dir /tmp/bridge-$1 --journal /tmp/j-$1 --state /tmp/s-$1 \
        --ready /tmp/r-$1 --device $1 2>/tmp/bridge-$1.err &
    B=$!
    wait_for /tmp/r-$1 || echo "ZV-VM: the $1 bridge did not start"
    wait_nodes 1
    cp /tmp/j-$1 /tmp/j-$1.before
    $APP/zorvikctl --app-dir /zv/app-$1 --user-dir /tmp/user-$1 apply >/tmp/out 2>&1; echo "ZV-VM: apply-$1 rc=$?"
    section apply-$1 /tmp/out
    cp /tmp/j-$1 /tmp/j-$1.apply
    kill $B; wait $B
    wait_nodes 0
    section journal-before-$1 /tmp/j-$1.before
    section journal-apply-$1 /tmp/j-$1.apply
    section state-$1 /tmp/s-$1
    section bridge-$1-stderr /tmp/bridge-$1.err
}
serve_alone kb
serve_alone pad
echo "ZV-VM: done"
poweroff -f
