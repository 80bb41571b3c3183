# scripts/run: the window beside a simulated meter on COM1 when no meter is
# attached, the window alone with one, the headless twin without a display.
# The build's progress and the script's messages go to standard error, so
# that `scripts/run > readings.tsv` holds the table alone.
source "$(dirname "$0")/lib.sh"

# A copy of the scripts in a tree of their own, with a cmake that talks on
# standard output as a real build does and "builds" stand-ins of the two
# programs: the tool's sim prints a terminal path and waits to be stopped,
# its log prints a table; the window notes what it was started with.
ROOT="$WORK/root"
mkdir -p "$ROOT/scripts" "$WORK/bin"
cp "$SRC/scripts/run" "$SRC/scripts/common.sh" "$ROOT/scripts/"
printf '#!/usr/bin/env bash\necho "setup: all packages present"\n' >"$ROOT/scripts/setup"
cat >"$WORK/bin/cmake" <<FAKE
#!/usr/bin/env bash
echo "-- Configuring done"
if [[ "\$1" == "--build" ]]; then
  echo "[1/2] Building CXX object tools/varlo-cli/main.cpp.o"
  echo "[2/2] Linking CXX executable tools/varlo-cli/varlo-cli"
  mkdir -p "\$2/tools/varlo-cli" "\$2/src/app/program"
  cat >"\$2/tools/varlo-cli/varlo-cli" <<'TOOL'
#!/usr/bin/env bash
case "\$1" in
  sim) echo /dev/pts/fake; echo "\$\$" >"$WORK/sim.pid"; exec sleep 60 ;;
  log) printf "No\\tTime\\n1\\t10:00:00\\n"; echo "\$*" >"$WORK/log.args" ;;
esac
TOOL
  cat >"\$2/src/app/program/varlo" <<'WINDOW'
#!/usr/bin/env bash
echo "COM1=\${VARLO_COM1:-}" >"$WORK/window.env"
WINDOW
  chmod +x "\$2/tools/varlo-cli/varlo-cli" "\$2/src/app/program/varlo"
fi
FAKE
chmod +x "$ROOT/scripts/run" "$ROOT/scripts/setup" "$WORK/bin/cmake"

# The simulator stand-in must be gone once the script has ended.
sim_stopped() {
  local pid
  pid=$(cat "$WORK/sim.pid")
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# No display: the headless twin's table on standard output, nothing else.
PATH="$WORK/bin:$PATH" env -u DISPLAY -u WAYLAND_DISPLAY -u VARLO_COM1 \
  "$ROOT/scripts/run" >"$WORK/out" 2>"$WORK/err"
equal "headless exit status" 0 $?
equal "standard output is the table alone" "$(printf 'No\tTime\n1\t10:00:00')" "$(cat "$WORK/out")"
contains "the build's progress on standard error" "[2/2] Linking" "$WORK/err"
contains "says why the window does not open" "no display" "$WORK/err"
equal "the twin reads the simulator's terminal" "log --port /dev/pts/fake" "$(cat "$WORK/log.args")"
sim_stopped || fail "the simulator outlived the headless run"

# A display and no meter: the window with the simulator as COM1.
rm -f "$WORK/sim.pid"
PATH="$WORK/bin:$PATH" DISPLAY=:99 env -u VARLO_COM1 "$ROOT/scripts/run" >"$WORK/out" 2>"$WORK/err"
equal "window exit status" 0 $?
if compgen -G "/dev/ttyUSB*" >/dev/null || compgen -G "/dev/ttyACM*" >/dev/null \
  || grep -qsx "USB to Serial" /sys/bus/usb/devices/*/product; then
  echo "skipped: a meter is attached to this machine"
else
  equal "the window's COM1 is the simulator" "COM1=/dev/pts/fake" "$(cat "$WORK/window.env")"
  contains "tells the user what to click" 'click "COM Connect"' "$WORK/err"
  sim_stopped || fail "the simulator outlived the window"
fi

# A meter named as COM1: the window alone, no simulator.
rm -f "$WORK/sim.pid"
PATH="$WORK/bin:$PATH" DISPLAY=:99 VARLO_COM1=/dev/ttyS7 "$ROOT/scripts/run" >"$WORK/out" 2>"$WORK/err"
equal "the window reads the meter's port" "COM1=/dev/ttyS7" "$(cat "$WORK/window.env")"
[[ ! -e "$WORK/sim.pid" ]] || fail "a simulator was started beside a meter"

finish
