#!/usr/bin/env bash
# Takes the documentation's pictures of VantorPC: every screen of every shipped skin at the
# normal and the VGA size, against QRM's simulated player on a private X server, into
# docs/screens/ (reduced to 256 colours to keep them small).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
cmake --build "$build" --target vantor_desktop_tests
out=$(mktemp -d)
VANTOR_DOCS_SHOTS="$out" "$build/tests/client/vantor_desktop_tests" \
  --gtest_filter='*DocumentationScreenshots*'
mkdir -p docs/screens
for shot in "$out"/*.png; do
  convert "$shot" -strip +dither -colors 256 "png8:docs/screens/$(basename "$shot")"
done
rm -rf "$out"
ls -l docs/screens
