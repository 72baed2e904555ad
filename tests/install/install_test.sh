#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses the installed program as a user would: on a real
# X display (Xvfb, driven by xdotool), with HOME and XDG_DATA_HOME in a temporary folder and server.txt
# for a loopback stand-in in the per-user folder.
# Usage: install_test.sh BUILD_DIR STANDIN
set -euo pipefail
build=$1
standin=$2
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
# The id of a window whose name matches, within so many seconds. xdotool gives up with BadWindow when a
# window goes while it walks the tree (the login closing as the main window opens): it is asked again.
window_named() {
    local deadline=$((SECONDS + $2)) left id
    while left=$((deadline - SECONDS)) && ((left > 0)); do
        id=$(timeout "$left" xdotool search --sync --name "$1" 2>/dev/null | head -n 1) || true
        [[ -z "$id" ]] || { echo "$id"; return 0; }
    done
    return 1
}

prefix="$work/prefix"
# Installed under a restrictive umask, the directories are still open to every user.
(umask 077 && cmake --install "$build" --prefix "$prefix" >/dev/null)
closed=$(find "$prefix" -mindepth 1 -type d ! -perm 755 | head -n 5)
[[ -z "$closed" ]] || fail "directories not 0755 after an install under umask 077: $closed"
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"

echo "== installed files"
for file in bin/quillon bin/quillon-standin bin/quillon-mine share/quillon/Manual.txt share/quillon/liebiao.html \
    share/applications/com.example.quillon.desktop share/metainfo/com.example.quillon.metainfo.xml \
    share/icons/hicolor/scalable/apps/com.example.quillon.svg share/icons/hicolor/256x256/apps/com.example.quillon.png; do
    [[ -e "$prefix/$file" ]] || fail "$file is not installed"
done
for module in webengine keywordlist network xlsx; do
    [[ -n "$(find "$prefix" -path "*/quillon/quillon_$module.so")" ]] || fail "the $module module is not installed"
done
desktop-file-validate "$prefix/share/applications/com.example.quillon.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/com.example.quillon.metainfo.xml" >/dev/null ||
    appstreamcli validate --no-net "$prefix/share/metainfo/com.example.quillon.metainfo.xml"

echo "== --help and --version"
[[ "$("$prefix/bin/quillon" --version)" == "Quillon建站1.0A版-站群 1.0.0" ]] || fail "--version"
help=$("$prefix/bin/quillon" --help)
grep -qF "程序文件夹（数据库、server.txt、word.txt）：$XDG_DATA_HOME/quillon" <<<"$help" || fail "--help names no per-user folder"
grep -qF "使用说明：$prefix/share/quillon/Manual.txt" <<<"$help" || fail "--help finds no installed manual"

echo "== a session on a real display"
touch "$work/before"
# The stand-in says its port, then one line a request, into a pipe read as Xvfb's display is read below.
exec {standinfd}<> <(:)
"$standin" --password secret >&"$standinfd" 2>"$work/standin.log" &
pids+=($!)
read -r -t 10 -u "$standinfd" said port || fail "the stand-in did not start"
[[ "$said" == PORT && -n "$port" ]] || fail "the stand-in said \"$said $port\" for its port"
mkdir -p "$XDG_DATA_HOME/quillon"
printf '/127.0.0.1:%s\r\n' "$port" >"$XDG_DATA_HOME/quillon/server.txt"

exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 -u "$displayfd" display || fail "Xvfb did not start"
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

"$prefix/bin/quillon" >"$work/quillon.log" 2>&1 &
pids+=($!)
login=$(window_named '^Quillon建站 登录$' 60) || fail "no login window"
xdotool mousemove --window "$login" 20 20 windowfocus --sync "$login"
xdotool type --delay 30 secret
# 确定 comes on once server.txt is read, a moment after the window shows: Return is pressed until the
# main window answers it.
for _ in $(seq 15); do
    xdotool key Return
    main=$(window_named '^Quillon建站－站群$' 2) && break
done
[[ -n "${main:-}" ]] || fail "no main window after login"
read -r -t 10 -u "$standinfd" said _ && [[ "$said" == Ulogin ]] || fail "the stand-in saw no login first, but \"$said\""
[[ -f "$XDG_DATA_HOME/quillon/data/db.sqlite" ]] || fail "the store is not in the per-user folder"

# Help → 使用说明 opens the manual in the installed web-engine module.
xdotool mousemove --window "$main" 200 200 windowfocus --sync "$main"
xdotool key alt+h
# The one fixed wait: the menu pops up without a window xdotool could wait for.
sleep 0.5
xdotool key s
window_named '^(Vantrel-站群|Vantrel|加载2\.\.\.|Working\.\.\.)$' 60 >/dev/null ||
    { cat "$work/quillon.log"; fail "the manual window did not open"; }

# The command-line miner loads the installed network module; the stand-in has no suggestions to give.
echo "== quillon-mine"
mkdir -p "$work/mine"
printf '[hosts]\nsuggest=http://127.0.0.1:%s\n' "$port" >"$work/mine/keywords.ini"
printf 'k\n' | timeout 30 "$prefix/bin/quillon-mine" --dir "$work/mine" --seeds - --passes 1 2>"$work/mine.log" ||
    { cat "$work/mine.log"; fail "quillon-mine"; }
grep -q '共找到0个词' "$work/mine.log" || fail "quillon-mine said nothing of its result"
# ... and the installed XLSX module.
printf 'k\n' | timeout 30 "$prefix/bin/quillon-mine" --dir "$work/mine" --seeds - --passes 1 --out "$work/mine/out.xlsx" \
    2>"$work/mine.log" || { cat "$work/mine.log"; fail "quillon-mine --out out.xlsx"; }
# A pipe into grep -q could end its writer early, which pipefail counts as a failure: no pipes here.
unzip -l "$work/mine/out.xlsx" xl/worksheets/sheet1.xml >/dev/null || fail "the XLSX export is no workbook"
grep -q -- '--sources' <<<"$("$prefix/bin/quillon-mine" --help)" || fail "quillon-mine --help"

changed=$(find "$prefix" -newer "$work/before" | head -n 5)
[[ -z "$changed" ]] || fail "the program wrote under the prefix: $changed"
echo "install test passed"
