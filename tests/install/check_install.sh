#!/usr/bin/env bash
# Checks what a user gets: "install" installs the build into a scratch root with
# `cmake --install`, "deb" builds the Debian package with CPack and unpacks it into a scratch
# root. Either way the file layout must be exactly the expected one, the desktop entry and the
# AppStream metainfo must validate, the manual beside the program must be self-contained, every
# library the program needs must resolve, and namitra-cli must run from the scratch root.
# Usage: check_install.sh install|deb BUILD-FOLDER VERSION
set -euo pipefail
mode=$1 build=$2 version=$3
scratch=$(mktemp -d)
trap 'rm -rf -- "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

expected_files() {
  printf '%s\n' \
    usr/bin/namitra \
    usr/bin/namitra-cli \
    usr/bin/namitra.html \
    usr/share/applications/namitra.desktop \
    usr/share/icons/hicolor/scalable/apps/namitra.svg \
    usr/share/metainfo/org.namitra.Namitra.metainfo.xml
}

install_tree() {
  cmake --install "$build" --prefix "$scratch/root/usr" >/dev/null
}

package_tree() {
  (cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/pkg" >/dev/null)
  deb=$(ls "$scratch"/pkg/*.deb)
  [[ $(dpkg-deb -f "$deb" Package) == namitra ]] || fail "package name"
  depends=$(dpkg-deb -f "$deb" Depends)
  for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 fonts-ipafont-gothic libstdc++6 libc6; do
    [[ ",$depends," == *[\ ,]$package[\ ,\(]* ]] || fail "Depends lacks $package: $depends"
  done
  dpkg-deb -x "$deb" "$scratch/root"
}

check_layout() {
  actual=$(cd "$scratch/root" && find . -type f -o -type l | sed 's|^\./||' | sort)
  [[ "$actual" == "$(expected_files | sort)" ]] || fail "installed files differ:"$'\n'"$actual"
  for program in namitra namitra-cli; do
    [[ -x "$scratch/root/usr/bin/$program" ]] || fail "$program is not executable"
  done
}

check_metadata() {
  desktop-file-validate "$scratch/root/usr/share/applications/namitra.desktop" || fail "desktop entry"
  grep -qx 'Exec=namitra --files %F' "$scratch/root/usr/share/applications/namitra.desktop" || fail "Exec line"
  appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/org.namitra.Namitra.metainfo.xml" \
    >/dev/null || fail "metainfo does not validate"
}

check_manual() {
  manual="$scratch/root/usr/bin/namitra.html"
  grep -q 'src="data:image/png;base64,' "$manual" || fail "manual has no inlined picture"
  if grep -o '<img[^>]*src="[^"]*"' "$manual" | grep -v 'src="data:' | grep -q .; then
    fail "manual still refers to picture files"
  fi
}

check_programs() {
  if ldd "$scratch/root/usr/bin/namitra" | grep -q 'not found'; then fail "unresolved libraries"; fi
  output=$("$scratch/root/usr/bin/namitra-cli" --version)
  [[ "$output" == "namitra-cli $version" ]] || fail "namitra-cli --version printed: $output"
}

case $mode in
  install) install_tree ;;
  deb) package_tree ;;
  *) fail "unknown mode $mode" ;;
esac
check_layout
check_metadata
check_manual
check_programs
echo "install layout ($mode): ok"
