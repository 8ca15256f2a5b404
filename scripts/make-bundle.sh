#!/usr/bin/env bash
# Makes the portable Linux bundle for the Steam Deck and other distributions
# without Debian packages: a folder holding the release build of the program,
# the Qt libraries and plugins it loads and every other library it needs that
# a desktop does not bring, with run paths pointing into the folder, and its
# archive build/release/tilvane-<version>-linux-x86_64.tar.gz.
#
# Built on Debian 12, so the bundle needs glibc 2.36 or newer: SteamOS and
# the other current distributions have a newer one.
#
#   scripts/make-bundle.sh [build folder]      (default build/release)
set -euo pipefail

build=$(realpath "${1:-build/release}")
source_dir=$(realpath "$(dirname "$0")/..")
app_id=org.tilvane.Tilvane
program="$build/src/app/tilvane"
[ -x "$program" ] || { echo "no program at $program: build the release preset first"; exit 1; }

# The version as the .deb's name carries it.
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ -n "$version" ] || { echo "no CPACK_PACKAGE_VERSION in $build/CPackConfig.cmake"; exit 1; }
name="tilvane-$version-linux-x86_64"
stage="$build/bundle"
bundle="$stage/$name"
archive="$build/$name.tar.gz"

qt_plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null ||
  echo /usr/lib/x86_64-linux-gnu/qt6/plugins)

# The plugins the program loads. Its pictures and its window icon are SVG
# (the image format and the icon engine); PNG is built into Qt. The platforms:
# X11 (and its GL integrations, which the X11 platform loads for any window),
# Wayland with its shells, decorations and EGL (Plasma and GNOME sessions),
# offscreen for starts without a display; compose and IBus for typing.
plugins=(
  platforms/libqxcb.so
  platforms/libqoffscreen.so
  xcbglintegrations/libqxcb-glx-integration.so
  xcbglintegrations/libqxcb-egl-integration.so
  imageformats/libqsvg.so
  iconengines/libqsvgicon.so
  platforminputcontexts/libcomposeplatforminputcontextplugin.so
  platforminputcontexts/libibusplatforminputcontextplugin.so
)
wayland_plugins=(
  platforms/libqwayland-egl.so
  platforms/libqwayland-generic.so
  wayland-shell-integration/libxdg-shell.so
  wayland-shell-integration/libwl-shell-plugin.so
  wayland-shell-integration/libqt-shell.so
  wayland-shell-integration/libivi-shell.so
  wayland-shell-integration/libfullscreen-shell-v1.so
  wayland-decoration-client/libbradient.so
  wayland-graphics-integration-client/libqt-plugin-wayland-egl.so
)
if [ -e "$qt_plugins/platforms/libqwayland-generic.so" ]; then
  plugins+=("${wayland_plugins[@]}")
else
  echo "warning: no Qt Wayland plugins (qt6-wayland): the bundle runs on X11 and XWayland only"
fi

# Libraries every desktop has, left to the host:
# - glibc's own, and libcrypt: a bundled copy cannot work with the host's
#   ld.so, and the program needs only glibc 2.36;
# - the compiler's runtime: the host's is newer, and the graphics drivers
#   loaded into the process need that newer one;
# - the graphics drivers and their dispatch (GLVND's GL, EGL and OpenGL, DRM,
#   GBM, Vulkan) and
#   Wayland's client libraries, which those drivers are built against: an
#   older copy in the bundle would be missing the symbols they use;
# - X11 and libxcb's core with their own dependencies, xkbcommon (not its X11
#   part, which not every host has), fontconfig and FreeType with theirs.
# Everything else (xcb's helper libraries, xkbcommon-x11, Qt, libcurl,
# libzip, pugixml, OpenSSL, ICU, GLib, D-Bus...) goes into the bundle.
host_libs='^(ld-linux-x86-64|libc|libm|libdl|libpthread|librt|libresolv|libutil|libanl|libnsl|libmvec|libBrokenLocale|libthread_db|libnss_.*|libcrypt|libstdc\+\+|libgcc_s|libGL|libEGL|libGLX|libGLdispatch|libOpenGL|libGLESv2|libglapi|libdrm|libgbm|libvulkan|libwayland-client|libwayland-cursor|libwayland-egl|libwayland-server|libX11|libxcb|libXau|libXdmcp|libbsd|libmd|libxkbcommon|libfontconfig|libfreetype|libexpat|libpng16|libz|libbz2|libbrotlicommon|libbrotlidec)\.so(\.|$)'

rm -rf "$stage" "$archive"
mkdir -p "$bundle/bin" "$bundle/lib" "$bundle/plugins"

cp "$program" "$bundle/bin/tilvane"
for p in "${plugins[@]}"; do
  mkdir -p "$bundle/plugins/$(dirname "$p")"
  cp "$qt_plugins/$p" "$bundle/plugins/$p"
done

# ldd lists every library an ELF needs, its dependencies' dependencies too,
# as this machine resolves them: one pass over the program and the plugins
# finds them all. A name ldd cannot resolve here would not resolve anywhere.
elfs=("$bundle/bin/tilvane")
for p in "${plugins[@]}"; do elfs+=("$bundle/plugins/$p"); done
for elf in "${elfs[@]}"; do
  if ldd "$elf" | grep -q 'not found'; then
    ldd "$elf" | grep 'not found'
    echo "$elf needs a library this machine does not have"
    exit 1
  fi
  ldd "$elf" | awk '$2 == "=>" && $3 ~ /^\// {print $1, $3}'
done | sort -u | while read -r soname path; do
  if ! grep -Eq "$host_libs" <<<"$soname" && [ ! -e "$bundle/lib/$soname" ]; then
    # Under its soname, the name the loader looks for.
    cp -L "$path" "$bundle/lib/$soname"
  fi
done

# Run paths into the bundle instead of LD_LIBRARY_PATH, which the launcher
# would hand on to everything the program starts (the opener of folders and
# pages, Steam and the game). DT_RPATH rather than DT_RUNPATH: it also counts
# for the dependencies' dependencies and comes before an LD_LIBRARY_PATH the
# program inherits (Steam sets one for what it starts), so the bundle's Qt is
# the one loaded. $ORIGIN is the loader's, not the shell's.
# shellcheck disable=SC2016
patchelf --force-rpath --set-rpath '$ORIGIN/../lib' "$bundle/bin/tilvane"
for lib in "$bundle"/lib/*; do
  chmod u+w "$lib"
  # shellcheck disable=SC2016
  patchelf --force-rpath --set-rpath '$ORIGIN' "$lib"
done
for p in "${plugins[@]}"; do
  # shellcheck disable=SC2016
  patchelf --force-rpath --set-rpath '$ORIGIN/../../lib' "$bundle/plugins/$p"
done

# Qt looks for qt.conf beside the executable; without it, it would look for
# its plugins where Debian keeps them.
cat >"$bundle/bin/qt.conf" <<'EOF'
[Paths]
Prefix = ..
Plugins = plugins
EOF

install -m 0755 "$source_dir/packaging/bundle/tilvane" "$bundle/tilvane"
install -m 0755 "$source_dir/packaging/bundle/add-to-menu.sh" "$bundle/add-to-menu.sh"
install -m 0644 "$source_dir/packaging/linux/$app_id.desktop" "$bundle/$app_id.desktop"
install -m 0644 "$source_dir/src/gui/pictures/tilvane.svg" "$bundle/$app_id.svg"

# Owned by nobody in particular once unpacked, in a stable order.
tar --sort=name --owner=0 --group=0 --numeric-owner -C "$stage" -czf "$archive" "$name"
echo "== $archive: $(du -h "$archive" | cut -f1) ($(du -sh "$bundle" | cut -f1) unpacked," \
  "$(find "$bundle/lib" -type f | wc -l) libraries, ${#plugins[@]} plugins)"
