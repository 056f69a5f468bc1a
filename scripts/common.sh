# Shared by test.sh and run.sh: install what is missing, then configure and build.
# Build trees live under out/ (the source folder build/ holds the build-rules code).

VARKEL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# What the program needs, and what the tests and benchmarks add. qtbase5-dev also brings
# the qmake that project builds run (qt5-qmake, and qtchooser's /usr/bin/qmake); make and
# g++ are the other tools of such a build.
VARKEL_PROGRAM_PACKAGES="cmake g++ make qtbase5-dev"
# clang builds the sanitizer tree and the fuzz harnesses: a second compiler whose
# checks differ (it warns on a dropped [[nodiscard]] result of a virtual call); attr
# and acl give the tests extended attributes and ACLs to set on files.
VARKEL_TEST_PACKAGES="libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev attr acl strace"

# varkel_install_missing PACKAGE...: installs those that are not installed, through
# apt-get as root or with sudo; without either it names them and fails.
varkel_install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  local as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      as_root=(sudo)
    else
      varkel_cannot_install "${missing[@]}"
    fi
  fi
  command -v apt-get >/dev/null 2>&1 || varkel_cannot_install "${missing[@]}"
  echo "Installing: ${missing[*]}"
  if ! "${as_root[@]}" apt-get update -qq ||
     ! "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
         apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
    varkel_cannot_install "${missing[@]}"
  fi
}

varkel_cannot_install() {
  echo "These packages are missing and could not be installed: $*" >&2
  echo "Install them as root, for example: apt-get install $*" >&2
  exit 1
}

# varkel_configure DIR [cmake options...]: configures out/DIR; cmake's output is shown
# only when it fails.
varkel_configure() {
  local dir="$VARKEL_ROOT/out/$1" output
  shift
  if ! output=$(cmake -S "$VARKEL_ROOT" -B "$dir" "$@" 2>&1); then
    printf '%s\n' "$output" >&2
    echo "Configuring $dir failed." >&2
    exit 1
  fi
}

# varkel_build DIR [target...]: builds out/DIR, all of it or the given targets.
varkel_build() {
  local dir="$VARKEL_ROOT/out/$1" targets=()
  shift
  [ $# -gt 0 ] && targets=(--target "$@")
  cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}

# varkel_fuzz_all SECONDS: runs each harness of out/fuzz from its seeds (and with its
# dictionary, fuzz/<name>.dict, when there is one) for SECONDS; fails on the first crash,
# leak or hang, naming the input that caused it. New inputs go to out/fuzz/corpus/,
# never into the seeds.
varkel_fuzz_all() {
  local seconds="$1" seeds name work log dict=()
  for seeds in "$VARKEL_ROOT"/fuzz/corpus/*/; do
    name=$(basename "$seeds")
    work="$VARKEL_ROOT/out/fuzz/corpus/$name"
    log="$VARKEL_ROOT/out/fuzz/$name.log"
    dict=()
    [ -f "$VARKEL_ROOT/fuzz/$name.dict" ] && dict=(-dict="$VARKEL_ROOT/fuzz/$name.dict")
    mkdir -p "$work" "$VARKEL_ROOT/out/fuzz/findings"
    if ! "$VARKEL_ROOT/out/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
         "${dict[@]}" -artifact_prefix="$VARKEL_ROOT/out/fuzz/findings/$name-" "$work" "$seeds" >"$log" 2>&1; then
      tail -n 60 "$log" >&2
      echo "Fuzzing $name found a fault; the input is under out/fuzz/findings/ (whole log: $log)." >&2
      exit 1
    fi
    echo "Fuzzed $name for ${seconds} s: $(grep -o 'Done [0-9]* runs' "$log" || echo 'no summary')."
  done
}
