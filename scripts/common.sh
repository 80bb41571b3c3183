# Shared by the scripts: the source root, setup on demand and the builds.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

ensure_setup() {
  if ! "$ROOT/scripts/setup" --check >/dev/null 2>&1; then
    "$ROOT/scripts/setup" >&2
  fi
}

# build DIR [cmake options...]: configures (once) and builds DIR. Its
# progress goes to standard error, so that what a script runs afterwards has
# standard output to itself.
build() {
  local dir="$1"
  shift
  cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS" >&2
}
