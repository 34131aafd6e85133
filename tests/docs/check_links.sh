#!/usr/bin/env bash
# Checks every relative link and picture in README.md and docs/*.md: the file it names must
# exist, and a #anchor must be a heading of the page it points into (GitHub's anchors: the
# heading in lower case, without punctuation, spaces as hyphens, repeats numbered -1, -2).
# Links to web pages are not followed. Code blocks and `code` are skipped.
#   check_links.sh [REPOSITORY]    (default: the repository this script is in)
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root"

# The page's text without fenced code blocks and inline code.
prose() {
  awk '/^[ \t]*(```|~~~)/ { fenced = !fenced; next } !fenced { gsub(/`[^`]*`/, ""); print }' "$1"
}

# The anchors of a page's headings, one a line.
anchors() {
  prose "$1" | awk '
    /^#+[ \t]/ {
      h = $0; sub(/^#+[ \t]+/, "", h); sub(/[ \t#]+$/, "", h); h = tolower(h)
      gsub(/[^a-z0-9 _-]/, "", h); gsub(/ /, "-", h)
      n = seen[h]++; print (n ? h "-" n : h)
    }'
}

failures=0
checked=0
for page in README.md docs/*.md; do
  dir=$(dirname "$page")
  # Every (target) after ] on a line: links and pictures alike.
  while IFS= read -r target; do
    case "$target" in http://* | https://* | mailto:*) continue ;; esac
    checked=$((checked + 1))
    path=${target%%#*}
    anchor=""
    [ "$path" != "$target" ] && anchor=${target#*#}
    if [ -z "$path" ]; then file=$page; else file=$dir/$path; fi
    if [ ! -e "$file" ]; then
      echo "$page: broken link ($target): $file does not exist"
      failures=$((failures + 1))
      continue
    fi
    if [ -n "$anchor" ] && [[ "$file" == *.md ]] && ! anchors "$file" | grep -qxF -- "$anchor"; then
      echo "$page: broken link ($target): $file has no heading #$anchor"
      failures=$((failures + 1))
    fi
  done < <(prose "$page" | grep -oE '\]\([^) ]+\)' | sed -E 's/^\]\((.*)\)$/\1/')
done
echo "docs links: $checked checked, $failures broken"
[ "$failures" -eq 0 ]
