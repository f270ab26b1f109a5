# Shared by the build and test scripts: set-up, compiler cache, configure helper.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

# What the package manager and the build print goes to this log; each step
# prints one line, and a failing step points here and shows the log's end.
LOG="${VANTREL_LOG:-$ROOT/build/$(basename "$0" .sh).log}"
mkdir -p "$(dirname "$LOG")"
: >"$LOG"

# step LABEL COMMAND...: runs COMMAND with its output in the log.
step() {
  local label="$1"; shift
  local start=$SECONDS
  printf '%s ... ' "$label"
  echo "== $label: $*" >>"$LOG"
  # In the background and then waited for, so that `set -e` still holds
  # inside COMMAND (it would not in an `if` condition).
  "$@" >>"$LOG" 2>&1 &
  if wait $!; then
    echo "done ($((SECONDS - start)) s)"
  else
    local status=$?
    echo "FAILED (exit status $status)"
    echo "The full output is in $LOG; its last lines:" >&2
    tail -n 25 "$LOG" >&2
    exit "$status"
  fi
}

step "Debian packages (scripts/setup.sh)" bash scripts/setup.sh
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
# juce_core stamps __DATE__/__TIME__; without this ccache never hits on it.
export CCACHE_SLOPPINESS=time_macros
# Paths relative to the tree, so clones and worktrees share one cache.
export CCACHE_BASEDIR="$ROOT"
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
JOBS="${JOBS:-$(nproc)}"

# configure DIR [cmake args...]
configure() {
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja -DVANTREL_WERROR=ON "$@" >/dev/null
}
