# Shared by the build and test scripts: set-up, compiler cache, configure helper.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
bash scripts/setup.sh
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
# juce_core stamps __DATE__/__TIME__; without this ccache never hits on it.
export CCACHE_SLOPPINESS=time_macros
# Paths relative to the tree, so clones and worktrees share one cache.
export CCACHE_BASEDIR="$ROOT"
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
JOBS="$(nproc)"

# configure DIR [cmake args...]
configure() {
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja -DVANTREL_WERROR=ON "$@" >/dev/null
}
