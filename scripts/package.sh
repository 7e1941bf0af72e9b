#!/usr/bin/env bash
# Builds the Debian package and checks it as a user would meet it.
#   scripts/package.sh [--checks-only] [OUT_DIR]      (default: out/package)
#
# --checks-only skips steps 1 and 2 and checks the package already in OUT_DIR.
# 1. installs the build dependencies named in debian/control (apt-get build-dep);
# 2. builds trelvane_<version>_<arch>.deb with dpkg-buildpackage from a copy of
#    the working tree (tracked and new files; no build folders), tests included;
# 3. lintian (no error, no warning that debian/*lintian-overrides does not
#    explain) and appstreamcli on the packaged metainfo;
# 4. dpkg-deb --contents: the programs, a manual page for each, the manual,
#    README.Debian, desktop entry, metainfo, MIME type and every icon size;
# 5. apt-get install ./the.deb, then from the installed paths: trelvane --version
#    and --help, trelvane-log info on a small log, and under Xvfb a .tvr file
#    opened as a file manager does (its type, its default application, the desktop
#    entry's Exec line), and Help handing the installed manual to the PDF viewer;
# 6. apt-get remove trelvane: every file it installed is gone.
# Prints the folder that holds the package. Needs root or sudo for apt-get.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build=1
if [ "${1:-}" = "--checks-only" ]; then build=0; shift; fi
out="$(mkdir -p "${1:-$here/out/package}" && cd "${1:-$here/out/package}" && pwd)"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

step() { printf '\n== %s (%ds)\n' "$*" "$SECONDS"; }
fail() { printf 'package.sh: %s\n' "$*" >&2; exit 1; }

# Tools of the build and of the checks below; the build's own come from debian/control.
"$here/scripts/install-deps.sh" --packaging
src="$out/src"
version="$(dpkg-parsechangelog -l "$here/debian/changelog" -S Version)"
arch="$(dpkg --print-architecture)"
deb="$out/trelvane_${version}_${arch}.deb"
changes="$out/trelvane_${version}_${arch}.changes"

if [ "$build" -eq 1 ]; then
  step "Copying the working tree"
  rm -rf "$src" && mkdir -p "$src"
  (cd "$here" && git ls-files -z --cached --others --exclude-standard) \
    | (cd "$here" && xargs -0 cp --parents -t "$src" 2>/dev/null || true)
  [ -f "$src/debian/control" ] || fail "no debian/control in the copy of $here"

  step "Installing the build dependencies"
  $SUDO apt-get build-dep -y -qq "$src" >/dev/null

  step "Building trelvane_${version}_${arch}.deb"
  rm -f "$out"/trelvane*_"${version}"_*
  # ccache, when there, only saves time: the package does not depend on it.
  if command -v ccache >/dev/null; then export CMAKE_CXX_COMPILER_LAUNCHER=ccache; fi
  export DEB_BUILD_OPTIONS="parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}"
  # dpkg-buildpackage writes beside the source folder, into $out.
  (cd "$src" && dpkg-buildpackage -us -uc -b) > "$out/build.log" 2>&1 \
    || { tail -n 60 "$out/build.log" >&2; fail "dpkg-buildpackage failed; the whole log is $out/build.log"; }
  grep -E 'tests passed, ' "$out/build.log" | tail -n 1 || true
fi
[ -f "$deb" ] || fail "no $deb: build it first (scripts/package.sh without --checks-only)"

step "lintian"
lintian --fail-on error,warning --display-info --tag-display-limit 0 "$changes" | tee "$out/lintian.txt" \
  || fail "lintian found errors or warnings (above; $out/lintian.txt)"
echo "lintian: $(grep -c '' "$out/lintian.txt") tags (none above warning)"

step "Package contents"
contents="$out/contents.txt"
dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|' > "$contents"
expected=(
  /usr/bin/trelvane /usr/bin/trelvane-log /usr/bin/trelvane-dump /usr/bin/trelvane-charger-sim
  /usr/bin/trelvane-record /usr/bin/trelvane-doctor /usr/bin/trelvane-library
  /usr/share/doc/trelvane/examples/trelvane-record.service
  /usr/share/doc/trelvane/MANUAL.pdf /usr/share/doc/trelvane/README.Debian
  /usr/share/doc/trelvane/copyright /usr/share/doc/trelvane/changelog.Debian.gz
  /usr/share/applications/io.github.trelvane.Trelvane.desktop
  /usr/share/metainfo/io.github.trelvane.Trelvane.metainfo.xml
  /usr/share/mime/packages/trelvane.xml
)
for size in 16x16 24x24 32x32 48x48 64x64 128x128 256x256 scalable; do
  extension=png
  if [ "$size" = scalable ]; then extension=svg; fi
  expected+=("/usr/share/icons/hicolor/$size/apps/trelvane.$extension"
             "/usr/share/icons/hicolor/$size/mimetypes/application-x-trelvane-log.$extension")
done
# Every program has its manual page, and nothing but programs lives in bin.
while read -r program; do
  expected+=("/usr/share/man/man1/$(basename "$program").1.gz")
done < <(grep '^/usr/bin/.' "$contents")
problems=0
# trelvane-log plot's drawing program, where the build put libexec (Debian may choose the folder).
grep -qE '^/usr/(libexec|lib/[^/]+)/trelvane/trelvane-log-plot$' "$contents" \
  || { echo "missing: /usr/libexec/trelvane/trelvane-log-plot"; problems=$((problems + 1)); }
for path in "${expected[@]}"; do
  grep -qxF "$path" "$contents" || { echo "missing: $path"; problems=$((problems + 1)); }
done
while read -r path; do
  echo "not a program in /usr/bin: $path"; problems=$((problems + 1))
done < <(grep '^/usr/bin/.' "$contents" | grep -vE '^/usr/bin/trelvane(-[a-z-]+)?$')
[ "$problems" -eq 0 ] || fail "$problems problem(s) in the package contents ($contents)"
echo "all ${#expected[@]} expected files are in the package"

step "appstreamcli validate (packaged metainfo)"
unpacked="$out/unpacked"
rm -rf "$unpacked" && dpkg-deb -x "$deb" "$unpacked"
appstreamcli validate --no-net --explain "$unpacked/usr/share/metainfo/io.github.trelvane.Trelvane.metainfo.xml"
desktop-file-validate "$unpacked/usr/share/applications/io.github.trelvane.Trelvane.desktop"

step "Installing ./$(basename "$deb")"
$SUDO apt-get install -y -qq --reinstall "$deb" >/dev/null
installed="$out/installed-files.txt"
dpkg -L trelvane > "$installed"

work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

step "The installed programs"
[ "$(/usr/bin/trelvane --version)" = "trelvane ${version%-*}" ] || fail "trelvane --version: $(/usr/bin/trelvane --version)"
env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/trelvane --help | head -n 2
# A small log: three one-second records of a charge (64 little-endian bytes each).
log="$work/charge.tvr"
perl -e 'for my $s (1..3) { print pack("f<4 l< f<8 l<3", 0, 12.5, 2.0, 25, 10 * $s, (4.15) x 3, (0) x 5, $s, 1, 1) }' > "$log"
info="$(/usr/bin/trelvane-log info "$log")"
echo "$info" | head -n 4
grep -qx 'records: 3' <<<"$info" && grep -qx 'stamps: 1 to 3' <<<"$info" || fail "trelvane-log info read the log wrongly"
env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/trelvane-log plot "$log" -o "$work/charge.png" \
  && [ -s "$work/charge.png" ] || fail "trelvane-log plot drew no picture"
for program in trelvane-dump trelvane-charger-sim trelvane-log trelvane-record trelvane-doctor trelvane-library; do
  "/usr/bin/$program" --version
done

step "The desktop: a .tvr file opened as a file manager does, then Help"
home="$work/home"
mkdir -p "$home/.config" "$home/.local/share/applications" "$work/runtime"
chmod 700 "$work/runtime"
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$work/runtime"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_CURRENT_DESKTOP DESKTOP_SESSION
# A stand-in PDF viewer that notes what it was given: Help must hand it the installed manual.
cat > "$work/note-open" <<EOF
#!/bin/sh
printf '%s\n' "\$@" >> "$work/opened"
EOF
chmod +x "$work/note-open"
cat > "$home/.local/share/applications/note-open.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=Note what is opened
Exec=$work/note-open %f
MimeType=application/pdf;
NoDisplay=true
EOF
xdg-mime default note-open.desktop application/pdf

type="$(gio info -a standard::content-type "$log" | sed -n 's/^ *standard::content-type: //p')"
[ "$type" = "application/x-trelvane-log" ] || fail ".tvr files are of type '$type', not application/x-trelvane-log"
default="$(xdg-mime query default application/x-trelvane-log)"
[ "$default" = "io.github.trelvane.Trelvane.desktop" ] || fail "the default application for .tvr files is '$default'"
echo ".tvr: $type, opened with $default"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"

# The Exec line of the installed entry, with the file for %f, as a launcher runs it.
exec_line="$(sed -n 's/^Exec=//p' /usr/share/applications/io.github.trelvane.Trelvane.desktop)"
read -r -a command <<<"${exec_line//%f/$log}"
echo "running the entry's Exec line: ${command[*]}"
"${command[@]}" >"$work/trelvane.log" 2>&1 &
app_pid=$!
window="$(timeout 30 xdotool search --sync --onlyvisible --name '^Trelvane$' | head -n 1)" \
  || fail "no Trelvane window appeared: $(cat "$work/trelvane.log")"
kill -0 "$app_pid" 2>/dev/null || fail "trelvane ended: $(cat "$work/trelvane.log")"
echo "window $window shows $log"
# Help sits at (163, 0), 84 x 21, at the top of the window.
xdotool mousemove --sync --window "$window" 205 10 click 1
for _ in $(seq 200); do [ -s "$work/opened" ] && break; sleep 0.1; done
opened="$(cat "$work/opened" 2>/dev/null || true)"
[ "$opened" = "/usr/share/doc/trelvane/MANUAL.pdf" ] \
  || fail "Help opened '${opened:-nothing}', not /usr/share/doc/trelvane/MANUAL.pdf"
echo "Help opened $opened"
kill "$app_pid" && wait "$app_pid" 2>/dev/null || true
app_pid=""
kill "$xvfb_pid" && wait "$xvfb_pid" 2>/dev/null || true
xvfb_pid=""

step "apt-get remove trelvane"
$SUDO apt-get remove -y -qq trelvane >/dev/null
left=0
while read -r path; do
  if [ -f "$path" ] || [ -L "$path" ]; then echo "left behind: $path"; left=$((left + 1)); fi
done < "$installed"
[ "$left" -eq 0 ] || fail "$left installed file(s) left after apt-get remove"
echo "every installed file is gone"

step "Done"
echo "$deb"
echo "package folder: $out"
