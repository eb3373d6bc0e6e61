#!/usr/bin/env bash
# Shows the demo form with the Qt backend on a private X server, grabs the
# screen where the form sits and compares it with the headless rendering:
# every pixel must be equal. Skipped (77) when the X tools are missing.
set -u
demo=${1:?usage: screenshot_match.sh VCL_DEMO}
for t in xvfb-run import compare xwininfo; do
  command -v "$t" >/dev/null || { echo "missing $t"; exit 77; }
done
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$demo" --headless "$dir/headless.bmp" || exit 1
xvfb-run -a -s '-screen 0 1280x1024x24' bash -c '
  "$1" & pid=$!
  # Wait until the window is mapped (at most ~10 s), then a little for its first paint.
  for i in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q "\"Keldara demo\"" && break
    sleep 0.1
  done
  sleep 0.5
  import -window root -crop 240x160+100+100 +repage "$2/screen.png"
  kill $pid 2>/dev/null; wait $pid 2>/dev/null
  exit 0' grab "$demo" "$dir" || exit 1
[ -f "$dir/screen.png" ] || { echo "no screenshot"; exit 1; }
diff=$(compare -metric AE "$dir/screen.png" "$dir/headless.bmp" null: 2>&1)
echo "pixels differing: $diff"
[ "$diff" = "0" ]
