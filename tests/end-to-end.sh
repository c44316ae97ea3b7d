#!/usr/bin/env bash
# The program as a user drives it, on a virtual X display with the real X
# clipboard: xclip copies two links and a line of prose, two items appear;
# Ctrl+D (from xdotool) downloads both from the sample site and converts them
# to MP3; the files are there and carry their titles as tags (read by
# ffprobe). Usage: end-to-end.sh BUILD-FOLDER (run under xvfb-run).
set -euo pipefail
build=$1
work=$(mktemp -d)
site=
app=
clipboard=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    [ -n "$site" ] && kill "$site" 2>/dev/null
    [ -n "$clipboard" ] && kill "$clipboard" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "end-to-end: $*" >&2; exit 1; }

music=$work/music
mkdir -p "$music" "$work/config/Vantrel"
# A user who has started the program before (no first-start page) and wants MP3.
cat > "$work/config/Vantrel/Vantrel.conf" <<CONF
[General]
values.IsFirstLaunch=false
values.OutputFormatItemIndex=1
values.LastSavedFolderPath=$music
CONF
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state HOME=$work

"$build/tools/sample-site/vantrel-sample-site" --port 0 --media "$build/sample-media" > "$work/site.log" &
site=$!
for _ in $(seq 600); do grep -q '^export http_proxy=' "$work/site.log" && break; sleep 0.1; done
proxy=$(sed -n 's/^export http_proxy=//p' "$work/site.log")
[ -n "$proxy" ] || fail "the sample site did not start"

# The X platform whatever the caller chose: the window and the clipboard are
# those of the virtual display.
QT_QPA_PLATFORM=xcb http_proxy=$proxy no_proxy= NO_PROXY= "$build/app/vantrel" > "$work/app.log" 2>&1 &
app=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Vantrel$' | head -1) || fail "no window"

printf 'http://www.youtube.com/watch?v=e2eLinkAaaa\nsome words about them\nhttp://www.youtube.com/watch?v=e2eLinkBbbb\n' \
    > "$work/links.txt"
# -quiet keeps xclip in the foreground, so $! is the process that serves the
# selection: the cleanup ends that one, never another xclip of the user's.
xclip -quiet -selection clipboard -i "$work/links.txt" > "$work/xclip.log" 2>&1 &
clipboard=$!
# Two items come from the clipboard; give their pages a moment to load.
sleep 5
xdotool windowfocus --sync "$window" key --clearmodifiers ctrl+d

for _ in $(seq 600); do
    files=$(find "$music" -maxdepth 1 -name '*.mp3' | wc -l)
    others=$(find "$music" -maxdepth 1 -type f ! -name '*.mp3' ! -name '*.mp4' | wc -l)
    [ "$files" -eq 2 ] && [ "$others" -eq 0 ] && break
    sleep 0.1
done
[ "$files" -eq 2 ] || fail "$files MP3 files in $music: $(ls -A "$music")"
for mp3 in "$music"/*.mp3; do
    title=$(ffprobe -v error -show_entries format_tags=title -of default=noprint_wrappers=1:nokey=1 "$mp3")
    [ "$title" = "$(basename "$mp3" .mp3)" ] || fail "$mp3 carries the title '$title'"
    codec=$(ffprobe -v error -select_streams a:0 -show_entries stream=codec_name -of default=noprint_wrappers=1:nokey=1 "$mp3")
    [ "$codec" = mp3 ] || fail "$mp3 holds $codec"
done

xdotool windowfocus --sync "$window" key --clearmodifiers ctrl+q
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "still running after Ctrl+Q"
app=
echo "end-to-end ok: $(ls "$music" | tr '\n' ' ')"
