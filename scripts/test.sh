#!/usr/bin/env bash
# Builds nadeshiro and its tests for x64 and x86 and runs every test under Wine and Xvfb, in
# the Japanese locale (code page 932), in these configurations:
#   x64-root-ja  x64 build, 64-bit Wine, as the account that runs this script
#   x86-root-ja  x86 build, 32-bit Wine prefix, as that account
#   x64-user-ja, x86-user-ja
#                each build as an ordinary account with its own home and Wine prefixes (only
#                when this script runs as root: it makes the account), where Unix permissions
#                apply as they do for a player, with the tests that only exist there
# Then it packages the release twice and checks the packages (scripts/package-check.sh).
# It ends with one line per configuration and exits non-zero if any failed. With CI=true a
# skipped test fails the run unless a line "skip allowed: ..." above says why it cannot run.
set -euo pipefail
source "$(dirname "$0")/common.sh"
started=$SECONDS

bash "$root/scripts/setup.sh"
use_japanese_locale

player=nadeshiro-player
summaries=()
allowed_skips=()
failed_any=

mounts=()
cleanup() {
  local m
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || true; done
  for p in "$builds"/x64/wineprefix "$builds"/x86/wineprefix; do
    WINEPREFIX=$p wineserver -k 2>/dev/null || true
  done
  if [ -n "${user_run:-}" ]; then
    for p in "$user_run"/*/wineprefix; do
      [ -d "$p" ] && runuser -u "$player" -- env WINEPREFIX="$p" wineserver -k 2>/dev/null || true
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
  allowed_skips+=("FullDiskTest")
  echo "skip allowed: FullDiskTest.*: this machine does not let the test script mount a 256 KiB tmpfs (it needs root)"
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
  allowed_skips+=("ReadOnlyGameFolder")
  echo "skip allowed: ReadOnlyGameFolder.*: this machine does not let the test script mount a read-only tmpfs (it needs root)"
}

# Sums the GoogleTest results of a CTest run from its log: "passed failed skipped".
count_results() {
  local log=$1 ctest_failed=$2
  awk -v ctest_failed="$ctest_failed" '
    /^\[  PASSED  \] [0-9]+ tests?\./ { p += $4 }
    /^\[  FAILED  \] [0-9]+ tests?, listed below/ { f += $4 }
    /^\[  SKIPPED \] [0-9]+ tests?, listed below/ { s += $4 }
    END { if (f < ctest_failed) f = ctest_failed; printf "%d %d %d\n", p, f, s }' "$log"
}

# The names of the skipped tests in a CTest log, one a line.
skipped_tests() {
  grep -E '^\[  SKIPPED \] [A-Za-z_][A-Za-z0-9_]*\.' "$1" | awk '{ print $4 }' | sort -u || true
}

# Runs one configuration's CTest and records its line. $1 name, $2 test tree, $3.. prefix
# command (empty for this account).
run_configuration() {
  local name=$1 tree=$2; shift 2
  local out=$tree/ctest-output.txt
  echo "== configuration $name"
  local rc=0
  "$@" ctest --test-dir "$tree" --output-on-failure --timeout 300 -j 2 "${ctest_args[@]}" >"$out" 2>&1 || rc=$?
  grep -E '^ *[0-9]+/[0-9]+ Test|tests passed|FAILED|Skipped|Not Run|Timeout' "$out" || true
  local log=$tree/Testing/Temporary/LastTest.log
  [ -f "$log" ] || { mkdir -p "$(dirname "$log")"; : >"$log"; }
  local ctest_failed
  ctest_failed=$(sed -n 's/^.*tests passed, \([0-9]*\) tests failed.*$/\1/p' "$out" | tail -n 1)
  [ -n "$ctest_failed" ] || ctest_failed=$([ $rc -eq 0 ] && echo 0 || echo 1)
  read -r passed failed skipped < <(count_results "$log" "$ctest_failed")
  if [ "$failed" -gt 0 ] || [ $rc -ne 0 ]; then
    cat "$out"
    failed_any=yes
    [ "$failed" -gt 0 ] || failed=1
  fi
  if [ "$skipped" -gt 0 ]; then
    local t unexplained=0
    for t in $(skipped_tests "$log"); do
      local ok=
      for a in "${allowed_skips[@]}"; do [ "${t%%.*}" = "$a" ] && ok=yes; done
      if [ -z "$ok" ]; then echo "skipped without a reason this machine gives: $t"; unexplained=$((unexplained + 1)); fi
    done
    if [ "$unexplained" -gt 0 ] && [ "${CI:-}" = true ]; then failed_any=yes; fi
  fi
  summaries+=("configuration $name: $passed passed, $failed failed, $skipped skipped")
}

ensure_display
if [ "$(id -u)" -eq 0 ]; then
  mount_readonly_game
else
  allowed_skips+=("ReadOnlyGameFolder")
  echo "skip allowed: ReadOnlyGameFolder.*: only root may mount the read-only game folder"
fi

# The builds, then each as this account.
for a in x64 x86; do
  select_arch "$a"
  echo "== building $a"
  configure_and_build
done

is_root=
[ "$(id -u)" -eq 0 ] && is_root=yes
for a in x64 x86; do
  select_arch "$a"
  wineserver -k 2>/dev/null || true  # Wine's desktop belongs to the display it started on
  ctest_args=(-E '^test_player_account$')
  if [ -n "$is_root" ]; then
    mount_full_disk "$build/fulldisk" root && export NADESHIRO_FULLDISK=$build/fulldisk
  else
    allowed_skips+=("FullDiskTest")
    echo "skip allowed: FullDiskTest.*: only root may mount the 256 KiB tmpfs the full-disk tests fill"
  fi
  run_configuration "$a-$( [ -n "$is_root" ] && echo root || echo user )-ja" "$build"
  wineserver -k 2>/dev/null || true
  unset NADESHIRO_FULLDISK
done

# As an ordinary account: each build's tests copied into its home, with its own prefixes.
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
    select_arch "$a"
    tree=$user_run/$a
    mkdir -p "$tree"
    (cd "$build" && find . \( -path ./wineprefix -o -path ./googletest -o -path ./fulldisk -o -path ./Testing \
        -o -name CMakeFiles \) -prune -o \( -name '*.exe' -o -name 'CTestTestfile.cmake' \) -print |
      tar -cf - -T -) | tar -xf - -C "$tree"
    find "$tree" -name CTestTestfile.cmake -exec sed -i -e "s|$build|$tree|g" -e "s|$root/scripts|$user_run/source/scripts|g" {} +
    chown -R "$player:" "$home/runs"
    mount_full_disk "$tree/fulldisk" "$player" && user_fulldisk=$tree/fulldisk || user_fulldisk=
    ctest_args=()
    run_configuration "$a-user-ja" "$tree" runuser -u "$player" -- env -i PATH="$PATH" HOME="$home" USER="$player" \
      LANG="$LANG" LC_ALL="$LC_ALL" DISPLAY="$DISPLAY" CI="${CI:-}" WINEARCH="$WINEARCH" WINEDEBUG=-all \
      WINEDLLOVERRIDES="$WINEDLLOVERRIDES" NADESHIRO_FULLDISK="$user_fulldisk" \
      NADESHIRO_READONLY_GAME="${NADESHIRO_READONLY_GAME:-}"
    runuser -u "$player" -- env WINEPREFIX="$tree/wineprefix" wineserver -k 2>/dev/null || true
  done
else
  echo "note: not root, so the ordinary-account configurations (x64-user-ja, x86-user-ja) are not run"
fi

# The release packages: reproducible to the byte, and the packaged programs started.
echo "== release packages"
if bash "$root/scripts/package-check.sh" >"$builds/package-check.log" 2>&1; then
  summaries+=("$(grep '^package-check: ok' "$builds/package-check.log" | tail -n 1)")
else
  cat "$builds/package-check.log"
  summaries+=("package-check: FAILED (see above)")
  failed_any=yes
fi

echo "== test run took $((SECONDS - started)) s"
for line in "${summaries[@]}"; do echo "$line"; done
[ -z "$failed_any" ]
