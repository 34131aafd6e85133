# WAV files for the test scripts that source this file.

# Prints the sample bytes of a WAV file: its data chunk. Two renders of the same samples are
# not the same files: libsndfile's PEAK chunk before the data holds the time of writing.
wav_data() {
  local file=$1 offset=12 id size
  while :; do
    id=$(dd if="$file" bs=1 skip="$offset" count=4 2>/dev/null)
    size=$(od -An -tu4 -j$((offset + 4)) -N4 "$file" 2>/dev/null | tr -d ' ')
    [ -n "$size" ] || return 1
    [ "$id" = data ] && break
    offset=$((offset + 8 + size + size % 2))
  done
  tail -c +$((offset + 9)) "$file"
}

# Whether two WAV files hold the same samples, bit for bit; not when either has no data chunk.
same_samples() {
  local first second
  first=$(set -o pipefail; wav_data "$1" | sha256sum) && second=$(set -o pipefail; wav_data "$2" | sha256sum) &&
    [ "$first" = "$second" ]
}
