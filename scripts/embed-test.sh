#!/usr/bin/env bash
# scripts/embed-test.sh BUILD: installs BUILD into a temporary prefix, builds
# examples/convert out of tree against the installed package alone, once with
# pkg-config and once with find_package(d01ozu), and checks that both convert
# the sample into the same DAT file as rawsplit -d.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null

# pkg-config: the flags of the installed .pc file only.
flags=$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig:$prefix/lib64/pkgconfig \
  pkg-config --cflags --libs --static d01ozu)
mkdir -p "$work/pc"
c++ -std=c++17 -Wall -Wextra -Werror "$root/examples/convert.cpp" -o "$work/pc/convert" $flags

# CMake: find_package(d01ozu) through the installed package only.
cmake -S "$root/examples" -B "$work/cm" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cm" >/dev/null

mkdir -p "$work/ref"
"$build/tools/make_sample" "$work/ref/gs00233a.r00"
(cd "$work/ref" && "$prefix/bin/rawsplit" -d gs00233a.r00 >/dev/null)
for kind in pc cm; do
  "$work/$kind/convert" "$work/ref/gs00233a.r00" "$work/$kind/gs00233a"
  cmp "$work/ref/gs00233a.dat" "$work/$kind/gs00233a.dat"
  echo "embed: $kind example gives the same DAT file"
done
