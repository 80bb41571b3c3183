# scripts/run: the build's progress goes to standard error, so that
# `scripts/run > readings.tsv` holds the table alone.
source "$(dirname "$0")/lib.sh"

# A copy of the scripts in a tree of their own, with a cmake that talks on
# standard output as a real build does and "builds" a tool that prints a table.
ROOT="$WORK/root"
mkdir -p "$ROOT/scripts" "$WORK/bin"
cp "$SRC/scripts/run" "$SRC/scripts/common.sh" "$ROOT/scripts/"
printf '#!/usr/bin/env bash\necho "setup: all packages present"\n' >"$ROOT/scripts/setup"
cat >"$WORK/bin/cmake" <<'FAKE'
#!/usr/bin/env bash
echo "-- Configuring done"
if [[ "$1" == "--build" ]]; then
  echo "[1/2] Building CXX object tools/varlo-cli/main.cpp.o"
  echo "[2/2] Linking CXX executable tools/varlo-cli/varlo-cli"
  mkdir -p "$2/tools/varlo-cli"
  printf '#!/usr/bin/env bash\nprintf "frame\\tvalue\\n"\nprintf "A1D\\t1\\n"\n' >"$2/tools/varlo-cli/varlo-cli"
  chmod +x "$2/tools/varlo-cli/varlo-cli"
fi
FAKE
chmod +x "$ROOT/scripts/run" "$ROOT/scripts/setup" "$WORK/bin/cmake"

PATH="$WORK/bin:$PATH" "$ROOT/scripts/run" >"$WORK/out" 2>"$WORK/err"
equal "run exit status" 0 $?
equal "standard output is the table alone" "$(printf 'frame\tvalue\nA1D\t1')" "$(cat "$WORK/out")"
contains "the build's progress on standard error" "[2/2] Linking" "$WORK/err"

finish
