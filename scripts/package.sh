#!/usr/bin/env bash
# Builds the release packages players download, from the checked-out commit:
#   dist/nadeshiro-<version>-x86.zip, dist/nadeshiro-<version>-x64.zip, dist/SHA256SUMS
# Each zip holds one folder nadeshiro-<version>-<arch> with nadeshiro.exe (Release, without
# symbols), お読みください.txt (the Japanese readme, code page 932, CR LF) and README-en.txt
# (UTF-8, CR LF). The version is the project's, as the build puts it into the program.
# The same commit gives the same bytes from any folder: the programs carry no time and no
# path of the build, and every file in the zips is dated from the commit (SOURCE_DATE_EPOCH).
#   NADESHIRO_BUILD  the folder that holds the builds (default build/); the package builds
#                    are package-x86 and package-x64 in it, apart from the test builds
#   NADESHIRO_DIST   where the packages go (default dist/ in the source tree)
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$root/scripts/setup.sh"
if ! python3 -c 'import zipfile, zlib' 2>/dev/null; then
  echo "package: installing python3 (writes the zips)"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get install -y -qq --no-install-recommends python3 >/dev/null
fi

dist=${NADESHIRO_DIST:-$root/dist}
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null) || {
    echo "package: $root is not a git checkout; set SOURCE_DATE_EPOCH to the release's time" >&2
    exit 1
  }
fi
export SOURCE_DATE_EPOCH TZ=UTC
# The same sort order and text handling whatever the caller's locale.
export LC_ALL=C.UTF-8
[ -z "$(git -C "$root" status --porcelain --untracked-files=no 2>/dev/null)" ] ||
  echo "package: note: the source has changes that are not committed; they are in the packages"

# The readme for players: the version filled in, CR LF line ends, in the given encoding.
write_readme() {
  local source=$1 target=$2 encoding=$3
  if [ "$encoding" = UTF-8 ]; then
    printf '\xef\xbb\xbf' >"$target"  # so that every Notepad takes it for UTF-8
  else
    : >"$target"
  fi
  sed -e "s/@VERSION@/$version/g" -e 's/\r$//' -e 's/$/\r/' "$source" | iconv -f UTF-8 -t "$encoding" >>"$target"
}

version=
zips=()
mkdir -p "$dist"
for a in x86 x64; do
  select_arch "$a"
  build=$builds/package-$a
  echo "package: building $a in $build"
  configure_and_build --target nadeshiro >/dev/null

  v=$(sed -n 's/^#define NADESHIRO_VERSION_TEXT "\(.*\)"$/\1/p' "$build/generated/app/version.h")
  [ -n "$v" ] || { echo "package: no version in $build/generated/app/version.h" >&2; exit 1; }
  [ -z "$version" ] || [ "$v" = "$version" ] || { echo "package: the builds disagree on the version" >&2; exit 1; }
  version=$v

  exe=$build/nadeshiro.exe
  if grep -aq -e "$root" -e "$build" "$exe"; then
    echo "package: $exe holds a path of this machine's build" >&2
    exit 1
  fi

  name=nadeshiro-$version-$a
  stage=$build/stage
  rm -rf "$stage"
  mkdir -p "$stage/$name"
  cp "$exe" "$stage/$name/nadeshiro.exe"
  write_readme "$root/docs/readme-ja.txt" "$stage/$name/お読みください.txt" CP932
  write_readme "$root/docs/readme-en.txt" "$stage/$name/README-en.txt" UTF-8
  python3 "$root/scripts/make-zip.py" "$dist/$name.zip" "$stage" "$name"
  zips+=("$name.zip")
  echo "package: $dist/$name.zip (nadeshiro.exe $(stat -c %s "$exe") bytes)"
done

(cd "$dist" && sha256sum "${zips[@]}" >SHA256SUMS.partial && mv SHA256SUMS.partial SHA256SUMS)
echo "package: $dist/SHA256SUMS"
cat "$dist/SHA256SUMS"
