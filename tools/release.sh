#!/bin/bash
# Makes the download players get: dist/ambrel-<version>.zip (ambrel.exe, the
# stripped i686 build; README.txt, the player's guide; LICENSE.txt) and
# dist/SHA256SUMS. It builds the last commit from a clean copy in a scratch
# folder with the win32 preset, the very configuration the tests run, so
# uncommitted changes never reach a release.
#   tools/release.sh            build once and write dist/
#   tools/release.sh --verify   build twice, in two folders at two times, and
#                               check that the exe and the zip are identical
# Reproducible: the time of every file comes from the commit
# (SOURCE_DATE_EPOCH), the linker writes no time stamp, the compiler maps
# the build folders away, and the zip lists its entries in a fixed order with
# fixed times and modes.
set -euo pipefail
cd "$(dirname "$0")/.."

verify=0
case ${1:-} in
  "") ;;
  --verify) verify=1 ;;
  *) echo "usage: $0 [--verify]" >&2; exit 2 ;;
esac

tools/bootstrap.sh >/dev/null

if [[ -n $(git status --porcelain) ]]; then
  echo "release: the work tree has uncommitted changes; building the last commit without them" >&2
fi
commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH
dist=$PWD/dist

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# build_release DIR: a clean copy of the commit in DIR/src, built there, and
# the release files in DIR/out. Prints the version.
build_release() {
  local dir=$1
  mkdir -p "$dir/src" "$dir/out" "$dir/stage"
  git archive --format=tar "$commit" | tar -x -C "$dir/src"
  (
    cd "$dir/src"
    cmake --preset win32 >/dev/null
    cmake --build --preset win32 --target ambrel >/dev/null
  )
  local version
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/src/build/win32/CMakeCache.txt")
  [[ -n $version ]] || { echo "release: no project version in the build" >&2; exit 1; }

  # Players open the texts in Notepad: Windows line endings, and a UTF-8
  # byte order mark so that older Notepads don't take the Russian for 1252.
  local stage=$dir/stage
  cp "$dir/src/build/win32/app/ambrel.exe" "$stage/ambrel.exe"
  { printf '\xef\xbb\xbf'; sed 's/$/\r/' "$dir/src/docs/player-guide.txt"; } >"$stage/README.txt"
  sed 's/$/\r/' "$dir/src/LICENSE" >"$stage/LICENSE.txt"
  chmod 0644 "$stage"/*
  touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
  local zip=ambrel-$version.zip
  # -X: no extra fields (owner ids, Unix times); the DOS times are local, so
  # the time zone is fixed.
  (cd "$stage" && TZ=UTC zip -q -X -D "$dir/out/$zip" ambrel.exe README.txt LICENSE.txt)
  cp "$stage/ambrel.exe" "$dir/out/ambrel.exe"
  (cd "$dir/out" && sha256sum "$zip" ambrel.exe >SHA256SUMS)
  echo "$version"
}

started=$SECONDS
version=$(build_release "$scratch/first")
echo "release: built ambrel $version from $(git rev-parse --short "$commit") in $((SECONDS - started)) s"

if ((verify)); then
  sleep 2
  started=$SECONDS
  build_release "$scratch/second" >/dev/null
  echo "release: built again in another folder in $((SECONDS - started)) s"
  for file in ambrel.exe "ambrel-$version.zip"; do
    if ! cmp -s "$scratch/first/out/$file" "$scratch/second/out/$file"; then
      echo "release: NOT reproducible: $file differs between the two builds" >&2
      exit 1
    fi
  done
  echo "release: both builds are byte-identical (ambrel.exe and ambrel-$version.zip)"
fi

mkdir -p "$dist"
rm -f "$dist"/ambrel-*.zip "$dist/SHA256SUMS"
cp "$scratch/first/out/ambrel-$version.zip" "$scratch/first/out/SHA256SUMS" "$dist/"
echo "release: wrote dist/ambrel-$version.zip and dist/SHA256SUMS"
cat "$dist/SHA256SUMS"
echo "release: ambrel.exe is $(stat -c %s "$scratch/first/out/ambrel.exe") bytes"
# The tests run build/win32/app/ambrel.exe; built from this same clean commit
# it is the released file itself.
tested=build/win32/app/ambrel.exe
if [[ -z $(git status --porcelain) && -f $tested ]]; then
  if cmp -s "$tested" "$scratch/first/out/ambrel.exe"; then
    echo "release: identical to the tested $tested"
  else
    echo "release: differs from $tested (built from another commit? run tools/run-tests.sh)"
  fi
fi
