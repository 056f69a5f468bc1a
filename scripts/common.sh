# Shared by test.sh and run.sh: install what is missing, then configure and build.
# Build trees live under out/ (the source folder build/ holds the build-rules code).

VARKEL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VARKEL_PACKAGES="cmake g++ make qtbase5-dev libgtest-dev libgmock-dev libbenchmark-dev"

varkel_install_missing() {
  local missing=()
  for p in $VARKEL_PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# varkel_build DIR [cmake options...]
varkel_build() {
  local dir="$VARKEL_ROOT/out/$1"
  shift
  cmake -S "$VARKEL_ROOT" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}
