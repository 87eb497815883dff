#!/usr/bin/env bash
# Takes the documentation's pictures of a remote against QRM's simulated player on a private
# X server, into docs/screens/ (reduced to 256 colours to keep them small):
#   desktop  (default) VantorPC: every screen of every shipped skin, normal and VGA size
#   handheld VantorCE: main screen at 240x320, 480x640 and 360x720, the phone's other
#            screens and the message of a screen on its side
# Usage: scripts/desktop-screenshots.sh [BUILD-FOLDER] [desktop|handheld]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
case "${2:-desktop}" in
  desktop) target=vantor_desktop_tests; filter='DesktopRemoteTest.DocumentationScreenshots' ;;
  handheld) target=vantor_handheld_tests; filter='HandheldRemoteTest.DocumentationScreenshots' ;;
  *) echo "usage: $0 [BUILD-FOLDER] [desktop|handheld]" >&2; exit 2 ;;
esac
cmake --build "$build" --target "$target"
out=$(mktemp -d)
VANTOR_DOCS_SHOTS="$out" "$build/tests/client/$target" --gtest_filter="$filter"
mkdir -p docs/screens
for shot in "$out"/*.png; do
  convert "$shot" -strip +dither -colors 256 "png8:docs/screens/$(basename "$shot")"
done
rm -rf "$out"
ls -l docs/screens
