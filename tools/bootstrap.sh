#!/bin/bash
# Installs the Debian packages and locales this project builds and tests with.
# Does nothing (and says so in one line) when everything is already there.
set -euo pipefail

packages=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 wine32:i386 xvfb x11-utils xdotool imagemagick locales
  cmake ninja-build clang libclang-rt-14-dev googletest libbenchmark-dev zip
)
# ru_RU gives Wine the ANSI code page 1251 the program's texts are written in.
locales=(ru_RU.UTF-8 en_US.UTF-8)

as_root() {
  if [[ $EUID -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

# The i686 build, the one players get, runs under Wine's 32-bit side, which
# comes from Debian's i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "bootstrap: adding the i386 architecture for wine32"
  as_root dpkg --add-architecture i386
fi

installed=$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "${packages[@]}" 2>/dev/null || true)
missing=()
for package in "${packages[@]}"; do
  # dpkg-query names a foreign package without its architecture.
  grep -qx "${package%:*} ii " <<<"$installed" || missing+=("$package")
done

if ((${#missing[@]})); then
  echo "bootstrap: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -q </dev/null
  as_root apt-get install -y -q "${missing[@]}" </dev/null
fi

# `locale -a` spells ru_RU.UTF-8 as ru_RU.utf8.
available=$(locale -a 2>/dev/null)
missing_locales=()
for name in "${locales[@]}"; do
  grep -qix "${name%.UTF-8}.utf8" <<<"$available" || missing_locales+=("$name")
done

if ((${#missing_locales[@]})); then
  echo "bootstrap: generating locales ${missing_locales[*]}"
  for name in "${missing_locales[@]}"; do
    as_root sed -i "s/^# *\($name UTF-8\)$/\1/" /etc/locale.gen
    grep -qx "$name UTF-8" /etc/locale.gen || echo "$name UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
  done
  as_root locale-gen </dev/null
fi

if ((${#missing[@]} + ${#missing_locales[@]} == 0)); then
  echo "bootstrap: all packages and locales present"
fi
