#!/usr/bin/env bash
# Builds nadeshiro and its tests for x64 and x86 and runs every test under Wine and Xvfb, in
# the Japanese locale (code page 932), in these configurations:
#   x64-root-ja  x64 build, 64-bit Wine 8 (Debian 12's), as the account that runs this script
#   x86-root-ja  x86 build, 32-bit Wine 8 prefix, as that account
#   x64-user-ja, x86-user-ja
#                each build as an ordinary account with its own home and Wine prefixes (only
#                when this script runs as root: it makes the account), where Unix permissions
#                apply as they do for a player, with the tests that only exist there
#   x64-root-ja-wine10, x86-root-ja-wine10
#                each build under Wine 10 (Debian 13's, in the system scripts/setup.sh --wine10
#                makes once), with prefixes of its own, as root
# The memo, its view and the code page tests also run in an English locale (code page 1252),
# as cases named cp1252:..., in every configuration.
# Then it packages the release twice and checks the packages (scripts/package-check.sh).
# Each GoogleTest case is a CTest test; the counts come from CTest's JUnit report. It ends with
# one line per configuration and exits non-zero if any failed. With CI=true a skipped case
# fails the run unless a line "skip allowed: CASES: why" above names it (CASES is a pattern
# such as FullDiskTest.*, for every configuration when printed before the first one, for the
# configuration alone when printed under its "== configuration" line). Each case runs once and
# its result stands.
#   --repeat N     runs each configuration's CTest N times, each time in a random order
#                  (--schedule-random), each run counted on a line of its own
#   --config NAME  runs only that configuration (given again: those), without the packages
set -euo pipefail
source "$(dirname "$0")/common.sh"
started=$SECONDS

repeat=1
configs=()
while [ $# -gt 0 ]; do
  case "$1" in
    --repeat) repeat=${2:-}; shift 2 ;;
    --config) configs+=("${2:-}"); shift 2 ;;
    *) echo "usage: test.sh [--repeat N] [--config NAME]..." >&2; exit 2 ;;
  esac
done
if ! [[ $repeat =~ ^[1-9][0-9]*$ ]]; then echo "test.sh: --repeat takes a number of runs, not '$repeat'" >&2; exit 2; fi
schedule=()
[ "$repeat" -eq 1 ] || schedule=(--schedule-random)
for c in "${configs[@]}"; do
  case "$c" in
    x64-root-ja|x86-root-ja|x64-user-ja|x86-user-ja|x64-root-ja-wine10|x86-root-ja-wine10) ;;
    *) echo "test.sh: no configuration '$c' (see the list above in this script)" >&2; exit 2 ;;
  esac
done
# Whether configuration $1 is to run; whether one of architecture $1 is (wanted_arch).
wanted_arch() { [ ${#configs[@]} -eq 0 ] || [[ " ${configs[*]}" == *" $1-"* ]]; }
wanted() {
  [ ${#configs[@]} -eq 0 ] && return 0
  local c
  for c in "${configs[@]}"; do [ "$c" = "$1" ] && return 0; done
  return 1
}

is_root=
[ "$(id -u)" -eq 0 ] && is_root=yes
bash "$root/scripts/setup.sh" ${is_root:+--wine10}
echo "== set-up took $((SECONDS - started)) s"
use_japanese_locale
select_wine 8

player=nadeshiro-player
summaries=()
allowed_skips=()
failed_any=
mounts=()
cleanup() {
  local m p w
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || true; done
  for w in 8 10; do
    [ "$w" = 8 ] || [ -n "$is_root" ] || continue
    select_wine "$w"
    for p in "$builds"/x64/wineprefix$wine_suffix "$builds"/x86/wineprefix$wine_suffix; do
      [ -d "$p" ] && WINEPREFIX=$p wineserver -k 2>/dev/null || true
    done
  done
  if [ -n "${user_run:-}" ]; then
    for p in "$user_run"/*/wineprefix; do
      [ -d "$p" ] && runuser -u "$player" -- env PATH="$user_run/source/scripts/wine-bin:$PATH" WINEPREFIX="$p" wineserver -k 2>/dev/null || true
    done
    rm -rf "$user_run"
  fi
  stop_display
}
trap cleanup EXIT

# A real full disk for the fault tests: a 256 KiB tmpfs at $1, owned by user $2.
mount_full_disk() {
  local at=$1 owner=$2
  mkdir -p "$at"
  if mountpoint -q "$at"; then umount "$at" 2>/dev/null || true; fi
  if mount -t tmpfs -o "size=256k,mode=0755,uid=$(id -u "$owner"),gid=$(id -g "$owner")" nadeshiro-full "$at" 2>/dev/null; then
    mounts+=("$at")
    return 0
  fi
  allow_skip all 'FullDiskTest.*' "this machine does not let the test script mount a 256 KiB tmpfs (it needs root)"
  return 1
}

# A game folder no one can write to, root included: a small read-only tmpfs holding one slot
# file, which scripts/wine-prefix.sh links into each prefix's program files folder.
mount_readonly_game() {
  local at=$builds/readonly-game
  mkdir -p "$at"
  if mountpoint -q "$at"; then umount "$at" 2>/dev/null || true; fi
  if mount -t tmpfs -o size=64k,mode=0755 nadeshiro-readonly "$at" 2>/dev/null; then
    mounts+=("$at")
    printf 'readonly02' >"$at/save02" && chmod 0644 "$at/save02"
    if mount -o remount,ro "$at" 2>/dev/null; then
      export NADESHIRO_READONLY_GAME=$at
      return 0
    fi
  fi
  allow_skip all 'ReadOnlyGameFolder.*' "this machine does not let the test script mount a read-only tmpfs (it needs root)"
}

# Allows skipped cases, named by a pattern of CTest names (the part after a "cp1252:"), in
# all configurations or in the next one only, and says why.
config_skips=()
allow_skip() {
  local scope=$1 cases=$2 why=$3
  echo "skip allowed: $cases: $why"
  if [ "$scope" = all ]; then allowed_skips+=("$cases"); else config_skips+=("$cases"); fi
}

# The results of a CTest run from its JUnit report, one line a case: "passed NAME",
# "failed NAME" or "skipped NAME". A case CTest did not run for another reason than its skip
# (a failed fixture, a missing program) is a failure; the fixture that boots the prefix is no case.
case_results() {
  awk '
    function attr(key) { return match(line, key "=\"[^\"]*\"") ? substr(line, RSTART + length(key) + 2, RLENGTH - length(key) - 3) : "" }
    function settle() {
      if (name == "") return
      if (status == "run") { if (name != "wine_prefix") print "passed " name }
      else if (status == "disabled" || (status == "notrun" && why == "SKIP_REGULAR_EXPRESSION_MATCHED")) print "skipped " name
      else print "failed " name
      name = ""
    }
    /<testcase / { settle(); line = $0; name = attr("name"); status = attr("status"); why = "" }
    /<skipped / { line = $0; why = attr("message") }
    /<\/testcase>/ { settle() }
    END { settle() }' "$1"
}

# Runs one configuration's CTest $repeat times and records a line for each run. $1 name, $2 test
# tree, $3.. prefix command (empty for this account); $scripts, the scripts folder that command
# reads (default this tree's). The prefix is booted first: CTest starts each program once to
# list its cases.
run_configuration() {
  local name=$1 tree=$2; shift 2
  local run label
  for run in $(seq 1 "$repeat"); do
    label=$name
    [ "$repeat" -eq 1 ] || label="$name run $run of $repeat"
    run_once "$label" "$tree" "$@"
  done
  config_skips=()
}

run_once() {
  local name=$1 tree=$2; shift 2
  local out=$tree/ctest-output.txt junit=$tree/ctest-junit.xml began=$SECONDS rc=0
  rm -f "$junit"
  "$@" bash "${scripts:-$root/scripts}/wine-prefix.sh" >"$out" 2>&1 &&
    "$@" ctest --test-dir "$tree" --output-on-failure --timeout 300 -j 2 "${schedule[@]}" \
      --output-junit "$junit" "${ctest_args[@]}" >>"$out" 2>&1 || rc=$?
  grep -E '^ *[0-9]+/[0-9]+ Test' "$out" | grep -v ' Passed ' || true
  grep -E 'tests passed|Total Test time' "$out" || true
  local results passed failed skipped
  results=$( [ -f "$junit" ] && case_results "$junit" || true)
  passed=$(grep -c '^passed ' <<<"$results" || true)
  failed=$(grep -c '^failed ' <<<"$results" || true)
  skipped=$(grep -c '^skipped ' <<<"$results" || true)
  if [ "$failed" -gt 0 ] || [ $rc -ne 0 ]; then
    cat "$out"
    failed_any=yes
    [ "$failed" -gt 0 ] || failed=1
  fi
  local t a ok unexplained=0
  for t in $(sed -n 's/^skipped //p' <<<"$results"); do
    ok=
    for a in "${allowed_skips[@]}" "${config_skips[@]}"; do
      # shellcheck disable=SC2053  # a pattern
      [[ ${t#*:} == $a ]] && ok=yes
    done
    if [ -z "$ok" ]; then echo "skipped without a reason this machine gives: $t"; unexplained=$((unexplained + 1)); fi
  done
  if [ "$unexplained" -gt 0 ] && [ "${CI:-}" = true ]; then failed_any=yes; fi
  echo "== configuration $name took $((SECONDS - began)) s"
  summaries+=("configuration $name: $passed passed, $failed failed, $skipped skipped")
}

ensure_display
if [ -n "$is_root" ]; then
  mount_readonly_game
else
  allow_skip all 'ReadOnlyGameFolder.*' "only root may mount the read-only game folder"
fi

# The builds, then each as this account.
began=$SECONDS
for a in x64 x86; do
  wanted_arch "$a" || continue
  select_arch "$a"
  echo "== building $a"
  configure_and_build
done
echo "== building took $((SECONDS - began)) s"

# Runs the tests of both builds as this account, under the Wine selected.
run_as_this_account() {
  local a name
  for a in x64 x86; do
    select_arch "$a"
    name=$a-$( [ -n "$is_root" ] && echo root || echo user )-ja$wine_suffix
    wanted "$name" || continue
    wineserver -k 2>/dev/null || true  # Wine's desktop belongs to the display it started on
    ctest_args=(-LE '^player_account$')
    if [ -n "$is_root" ]; then
      mount_full_disk "$build/fulldisk" root && export NADESHIRO_FULLDISK=$build/fulldisk
    else
      allow_skip all 'FullDiskTest.*' "only root may mount the 256 KiB tmpfs the full-disk tests fill"
    fi
    echo "== configuration $name ($(wine --version))"
    run_configuration "$name" "$build"
    wineserver -k 2>/dev/null || true
    unset NADESHIRO_FULLDISK
  done
}
run_as_this_account

# As an ordinary account: each build's tests copied into its home, with its own prefixes. The
# copies name their own folders; the prefix comes from the environment.
if [ -n "$is_root" ]; then
  id "$player" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$player"
  home=$(getent passwd "$player" | cut -d: -f6)
  # Each run has a tree of its own (runs may go on side by side); those of ended runs go.
  for old in "$home"/runs/*; do
    [ -d "$old" ] && ! kill -0 "${old##*/}" 2>/dev/null && rm -rf "$old"
  done
  user_run=$home/runs/$$
  mkdir -p "$user_run/source"
  cp -a "$root/scripts" "$user_run/source/"
  for a in x64 x86; do
    wanted "$a-user-ja" || continue
    select_arch "$a"
    tree=$user_run/$a
    mkdir -p "$tree"
    (cd "$build" && find . \( -path './wineprefix*' -o -path ./googletest -o -path ./fulldisk -o -path ./Testing \
        -o -name CMakeFiles \) -prune -o \( -name '*.exe' -o -name 'CTestTestfile.cmake' \
        -o -name '*_include.cmake' -o -name 'test_properties.cmake' \) -print |
      tar -cf - -T -) | tar -xf - -C "$tree"
    find "$tree" -name '*.cmake' -exec sed -i -e "s|$build|$tree|g" -e "s|$root/scripts|$user_run/source/scripts|g" {} +
    chown -R "$player:" "$home/runs"
    mount_full_disk "$tree/fulldisk" "$player" && user_fulldisk=$tree/fulldisk || user_fulldisk=
    ctest_args=()
    echo "== configuration $a-user-ja ($(wine --version))"
    scripts=$user_run/source/scripts run_configuration "$a-user-ja" "$tree" runuser -u "$player" -- env -i PATH="$user_run/source/scripts/wine-bin:$PATH" \
      HOME="$home" USER="$player" LANG="$LANG" LC_ALL="$LC_ALL" DISPLAY="$DISPLAY" CI="${CI:-}" WINEARCH="$WINEARCH" \
      WINEPREFIX="$tree/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="$WINEDLLOVERRIDES" NADESHIRO_FULLDISK="$user_fulldisk" \
      NADESHIRO_READONLY_GAME="${NADESHIRO_READONLY_GAME:-}"
    runuser -u "$player" -- env PATH="$user_run/source/scripts/wine-bin:$PATH" WINEPREFIX="$tree/wineprefix" wineserver -k 2>/dev/null || true
  done
else
  echo "note: not root, so the ordinary-account configurations (x64-user-ja, x86-user-ja) are not run"
fi

# Wine 10, from the Debian 13 system (root only: its Wine runs with chroot).
if [ -n "$is_root" ]; then
  select_wine 10
  run_as_this_account
  select_wine 8
else
  echo "note: not root, so the Wine 10 configurations (x64-root-ja-wine10, x86-root-ja-wine10) are not run"
fi

# The release packages: reproducible to the byte, and the packaged programs started (not when
# configurations are picked).
if [ ${#configs[@]} -eq 0 ]; then
  echo "== release packages"
  began=$SECONDS
  if NADESHIRO_WINE=8 bash "$root/scripts/package-check.sh" >"$builds/package-check.log" 2>&1; then
    summaries+=("$(grep '^package-check: ok' "$builds/package-check.log" | tail -n 1)")
  else
    cat "$builds/package-check.log"
    summaries+=("package-check: FAILED (see above)")
    failed_any=yes
  fi
  echo "== release packages took $((SECONDS - began)) s"
fi

echo "== test run took $((SECONDS - started)) s"
for line in "${summaries[@]}"; do echo "$line"; done
[ -z "$failed_any" ]
