#!/usr/bin/env bash
# `cmake --install` into a temporary prefix: every file in its freedesktop place, the desktop file,
# the AppStream metainfo and the man page valid, and both programs run from the prefix, finding their
# data and the importer library there and not in the build or source tree.
# Arguments: build folder, scratch folder, library folder under the prefix, application id.
set -euo pipefail
build="$1"
scratch="$2"
libdir="$3"
app_id="$4"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$scratch"
mkdir -p "$scratch"
prefix="$(realpath "$scratch")/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/kestovan-ftp bin/kestovan-ftp-cli "$libdir/libravelink.so" \
    share/kestovan-ftp/help.htm share/kestovan-ftp/help_de.htm share/kestovan-ftp/help_fr.htm \
    share/kestovan-ftp/lang/lang_de.dat share/kestovan-ftp/lang/lang_fr.dat \
    "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml" \
    share/icons/hicolor/scalable/apps/kestovan-ftp.svg share/icons/hicolor/16x16/apps/kestovan-ftp.png \
    share/icons/hicolor/48x48/apps/kestovan-ftp.png share/icons/hicolor/256x256/apps/kestovan-ftp.png \
    share/man/man1/kestovan-ftp-cli.1; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done

desktop-file-validate "$prefix/share/applications/$app_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate: $(appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml")"
warnings="$(groff -man -Tutf8 -ww -z "$prefix/share/man/man1/kestovan-ftp-cli.1" 2>&1)"
[ -z "$warnings" ] || fail "man page: $warnings"

# Nothing from the build tree may help: no loader path, a working folder of its own.
unset LD_LIBRARY_PATH
cd "$scratch"
version="$("$prefix/bin/kestovan-ftp" --version)"
[ "$(sed -n 's/^data: //p' <<<"$version")" = "$prefix/share/kestovan-ftp" ] ||
    fail "kestovan-ftp reads its data elsewhere: $version"
"$prefix/bin/kestovan-ftp" --help | grep -q "ftp://" || fail "kestovan-ftp --help"
"$prefix/bin/kestovan-ftp-cli" --help | grep -q "exit status" || fail "kestovan-ftp-cli --help"

# The importer library is loaded from the prefix's library folder: an import of a site list that is
# not there fails on the file, not on a missing library.
set +e
import_error="$("$prefix/bin/kestovan-ftp-cli" import "$scratch/missing.ini" "$scratch/tree.sav" 2>&1)"
set -e
grep -q "cannot load" <<<"$import_error" && fail "the installed client did not find its library: $import_error"

# The desktop program starts from the prefix, runs its (empty) saved queue and quits.
set +e
KESTOVAN_HOME="$scratch/home" KESTOVAN_REGISTRY_DIR="$scratch/registry" XDG_CONFIG_HOME="$scratch/config" \
    QT_QPA_PLATFORM=offscreen timeout 60 "$prefix/bin/kestovan-ftp" -b -y -x >"$scratch/gui.log" 2>&1
status=$?
set -e
[ "$status" = 0 ] || fail "the installed kestovan-ftp -b -y -x ended with $status: $(cat "$scratch/gui.log")"
echo "installed into $prefix: every file found, both programs ran from there"
