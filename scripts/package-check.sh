#!/usr/bin/env bash
# Proves the release packages: packages the current commit twice, from two clones in folders
# of different names, and requires the two sets of zips and sums to be the same to the byte;
# then unpacks the zips and checks what players get: the three files and nothing else, the
# Japanese readme in code page 932 with CR LF, and each nadeshiro.exe started under Wine (x86
# in a 32-bit prefix, x64 in 64-bit Wine) in a game folder by tests/check_packaged.cpp.
# Uses the caller's X display or starts Xvfb, and the test builds' Wine prefixes. Ends with
# one line; exits non-zero on any failure.
set -euo pipefail
source "$(dirname "$0")/common.sh"
started=$SECONDS

bash "$root/scripts/setup.sh"
use_japanese_locale

work=$(mktemp -d "${TMPDIR:-/tmp}/nadeshiro-package-check.XXXXXX")
used_prefixes=()
cleanup() {
  local p
  for p in "${used_prefixes[@]}"; do WINEPREFIX=$p wineserver -k 2>/dev/null || true; done
  stop_display
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "package-check: FAILED: $*" >&2
  exit 1
}

# Two packagings of HEAD, each in a clone of its own with its own builds.
head=$(git -C "$root" rev-parse HEAD)
clones=("$work/one" "$work/second-clone")
for c in "${clones[@]}"; do
  git clone -q --no-hardlinks "$root" "$c"
  git -C "$c" checkout -q --detach "$head"
  echo "package-check: packaging $head in $c"
  (unset NADESHIRO_BUILD NADESHIRO_DIST SOURCE_DATE_EPOCH; cd "$c" && bash scripts/package.sh >"$c.log" 2>&1) ||
    { cat "$c.log" >&2; fail "scripts/package.sh failed in $c"; }
done
dist=${clones[0]}/dist
read -r _ first_zip < <(head -n 1 "$dist/SHA256SUMS")
version=${first_zip#nadeshiro-}
version=${version%-*.zip}
for f in "nadeshiro-$version-x86.zip" "nadeshiro-$version-x64.zip" SHA256SUMS; do
  [ -f "$dist/$f" ] || fail "no $f in $dist"
  cmp -s "$dist/$f" "${clones[1]}/dist/$f" || fail "$f differs between the two packagings"
done
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "sha256sum -c SHA256SUMS does not pass"

# What a player unpacks, and the program in it started as a player would.
ensure_display
checked=()
for a in x86 x64; do
  name=nadeshiro-$version-$a
  unpacked=$work/unpacked-$a
  mkdir -p "$unpacked"
  unzip -q "$dist/$name.zip" -d "$unpacked"
  listing=$(cd "$unpacked" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')
  expected="./$name ./$name/README-en.txt ./$name/nadeshiro.exe ./$name/お読みください.txt "
  [ "$listing" = "$expected" ] || fail "$name.zip holds '$listing', not '$expected'"
  readme=$unpacked/$name/お読みください.txt
  text=$(iconv -f CP932 -t UTF-8 "$readme") && [[ $text == *"なでしろ ver$version"* ]] ||
    fail "$readme is not Japanese text in code page 932"
  [ "$(grep -c $'\r$' "$readme")" = "$(wc -l <"$readme")" ] || fail "$readme has lines without CR LF"
  [ "$(grep -c $'\r$' "$unpacked/$name/README-en.txt")" = "$(wc -l <"$unpacked/$name/README-en.txt")" ] ||
    fail "README-en.txt has lines without CR LF"

  select_arch "$a"
  echo "package-check: building the start-up check in $build"
  configure_and_build --target check_packaged >/dev/null
  used_prefixes+=("$WINEPREFIX")
  wineserver -k 2>/dev/null || true  # Wine's desktop belongs to the display it started on
  bash "$root/scripts/wine-prefix.sh" "$WINEPREFIX"
  game=$work/game-$a
  mkdir -p "$game"
  printf 'slot 00\n' >"$game/save00"
  printf 'slot 07\n' >"$game/save07"
  out=$(wine "$build/tests/check_packaged.exe" "$unpacked/$name/nadeshiro.exe" "$game" </dev/null 2>&1) ||
    { printf '%s\n' "$out" >&2; fail "the packaged $a program did not pass its start-up check"; }
  printf '%s\n' "$out" | grep -E '^\[  (PASSED|FAILED)  \]' | sed "s/^/package-check: $a: /" || true
  wineserver -k 2>/dev/null || true
  checked+=("$a")
done

sed 's/^/package-check: sha256 /' "$dist/SHA256SUMS"
echo "package-check: ok: two packagings of ${head:0:12} from two clones are identical; the packaged ${checked[*]} programs started and checked; $((SECONDS - started)) s"
