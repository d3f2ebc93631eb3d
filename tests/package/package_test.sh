#!/usr/bin/env bash
# The Debian package, made as a user makes it (cpack -G DEB in the build
# folder) into a scratch folder, checked without installing it: its files,
# its dependencies (each an installed Debian package here), and the
# programs unpacked into a scratch root with dpkg -x, where tavrilo-render
# must print its version, find its companion libraries at ../lib/tavrilo
# (a DPS movie and a JPEG picture need them) and show its manual page.
#   package_test.sh BUILD_DIR
# Exit status 77 (skipped) where cpack or the dpkg tools are missing.
set -euo pipefail
build="$(cd "$1" && pwd)"
pictures="$(cd "$(dirname "$0")/../data/pictures" && pwd)"
for tool in cpack dpkg-deb dpkg-shlibdeps dpkg-query; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (scripts/setup installs dpkg-dev)"
    exit 77
  fi
done
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

(cd "$build" && cpack -G DEB -B "$scratch/out") >"$scratch/cpack.log" 2>&1 || {
  cat "$scratch/cpack.log"
  fail "cpack -G DEB"
}
deb="$(ls "$scratch"/out/tavrilo_*.deb)"
version="$(dpkg-deb -f "$deb" Version)"
echo "package: $(basename "$deb"), version $version"

# The files a user expects, and nothing of the build (tests, benchmarks).
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$scratch/files"
for wanted in /usr/bin/tavrilo /usr/bin/tavrilo-render \
  /usr/lib/tavrilo/libPlinthJpeg.so /usr/lib/tavrilo/libMsMjpgEnc.so \
  /usr/lib/tavrilo/libDPSMaker5.so /usr/lib/tavrilo/libPlinthRTV.so \
  /usr/share/man/man1/tavrilo-render.1.gz /usr/share/man/man1/tavrilo.1.gz \
  /usr/share/bash-completion/completions/tavrilo-render \
  /usr/share/applications/tavrilo.desktop /usr/share/mime/packages/tavrilo.xml \
  /usr/share/icons/hicolor/256x256/apps/tavrilo.png /usr/share/tavrilo/Tavrilo.html; do
  grep -qx "$wanted" "$scratch/files" || fail "the package lacks $wanted"
done
if grep -E '/(test_|bench_|fuzz_)|tavrilo-render-docs|/usr/local' "$scratch/files"; then
  fail "the package holds files of the build"
fi
if dpkg-deb -c "$deb" | awk '{print $2}' | grep -v '^root/root$'; then
  fail "files not owned by root"
fi

# Dependencies: what dpkg-shlibdeps found for the programs and the
# companions, and the packages loaded without being linked.
depends="$(dpkg-deb -f "$deb" Depends)"
echo "depends: $depends"
for wanted in libc6 libstdc++6 libqt6widgets6 libavcodec59 libavformat59 libswscale6 libpng16-16 \
  libjpeg62-turbo libfreetype6 libfontconfig1 libegl1 libegl-mesa0 libgl1-mesa-dri fonts-liberation2; do
  [[ ", $depends," == *", $wanted"[\ ,]* ]] || fail "Depends lacks $wanted"
done
# Each alternative's first package is one Debian has (installed here).
IFS=',' read -r -a clauses <<<"$depends"
for clause in "${clauses[@]}"; do
  name="$(echo "${clause%%|*}" | awk '{print $1}')"
  dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q "install ok installed" ||
    fail "dependency $name is not a package installed here"
done

# Unpacked into a scratch root, as dpkg -i would place the files.
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
work="$scratch/work"
mkdir -p "$work"
cd "$work"
export XDG_CONFIG_HOME="$work"
render="$root/usr/bin/tavrilo-render"
[ "$("$render" --version)" = "tavrilo-render (Tavrilo) $version" ] || fail "--version does not say $version"
"$render" -o movie.dps --end 5 | grep -qx "Movie file successfully made: movie.dps (5 frames)" || fail "DPS movie"
"$render" -o movie.mov --end 5 --size 160x120 >/dev/null || fail "QuickTime movie"
"$render" --picture "$pictures/jpeg_colour.jpg" -o jpeg.bmp || fail "JPEG picture"
# Without ../lib/tavrilo the same DPS movie cannot be made: the companions
# came from there, not from the build tree.
mv "$root/usr/lib/tavrilo" "$root/usr/lib/elsewhere"
if "$render" -o again.dps --end 5 >/dev/null 2>&1; then
  fail "a DPS movie was made without the companions at ../lib/tavrilo"
fi
mv "$root/usr/lib/elsewhere" "$root/usr/lib/tavrilo"

if command -v man >/dev/null; then
  MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/tavrilo-render.1.gz" 2>"$scratch/man.err" |
    grep -q -- "--output OUT" || fail "man tavrilo-render does not show the options"
  [ ! -s "$scratch/man.err" ] || { cat "$scratch/man.err"; fail "man warns"; }
fi
bash -c "source '$root/usr/share/bash-completion/completions/tavrilo-render' && complete -p tavrilo-render" >/dev/null ||
  fail "the bash completion does not load"
echo "package checked"
