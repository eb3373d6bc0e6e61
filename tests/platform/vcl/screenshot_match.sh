#!/usr/bin/env bash
# Shows the demo form with the Qt backend on a private X server, grabs the
# screen where the form sits and compares it with the headless rendering:
# every pixel must be equal. Skipped (77) when the X tools are missing.
# GEOMETRY (WxH+X+Y) is where the form sits, the first demo's place by default.
set -u
demo=${1:?usage: screenshot_match.sh VCL_DEMO [GEOMETRY]}
geometry=${2:-240x160+100+100}
for t in xvfb-run import compare xwininfo; do
  command -v "$t" >/dev/null || { echo "missing $t"; exit 77; }
done
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$demo" --headless "$dir/headless.bmp" || exit 1
# xvfb-run -a can race with another server starting at the same time: try again then.
for attempt in 1 2 3; do
  xvfb-run -a -s '-screen 0 1280x1024x24' bash -c '
    "$1" & pid=$!
    # Grab until the window shows the expected picture (the first paint may lag under load).
    for i in $(seq 80); do
      sleep 0.25
      import -window root -crop "$3" +repage "$2/screen.png" 2>/dev/null || continue
      [ "$(compare -metric AE "$2/screen.png" "$2/headless.bmp" null: 2>&1)" = "0" ] && break
    done
    kill $pid 2>/dev/null; wait $pid 2>/dev/null
    exit 0' grab "$demo" "$dir" "$geometry"
  [ -f "$dir/screen.png" ] && break
done
[ -f "$dir/screen.png" ] || { echo "no screenshot"; exit 1; }
diff=$(compare -metric AE "$dir/screen.png" "$dir/headless.bmp" null: 2>&1)
echo "pixels differing: $diff"
[ "$diff" = "0" ]
