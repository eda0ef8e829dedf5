#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a while:
#   fuzz.sh [seconds per fuzzer, default 60] [fuzzer names...]
# Seeds are small files of every readable format made here with ffmpeg. A crash leaves its
# input in build-fuzz/artifacts/<fuzzer>/ and makes the script fail. With
# KORVANTA_STEP_TIMES=<file>, the build's and the run's seconds are added to that file.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
fuzzers=("$@")
[ ${#fuzzers[@]} -eq 0 ] && fuzzers=(audio_file_fuzzer audio_information_fuzzer ini_file_fuzzer)
dir=build-fuzz

bash scripts/install-deps.sh
# libFuzzer ships with clang's runtime libraries.
missing=()
for p in clang libclang-rt-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
        --no-install-recommends "${missing[@]}"
fi

started=$SECONDS
# Line tables only: enough for a crash's stack, and much less to compile and link.
CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only" \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only" \
    -DKORVANTA_FUZZ=ON -DKORVANTA_TESTS=OFF -DKORVANTA_BENCH=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)" --target "${fuzzers[@]}"
[ -n "${KORVANTA_STEP_TIMES:-}" ] && echo "fuzz build: $((SECONDS - started)) s" >>"$KORVANTA_STEP_TIMES"
started=$SECONDS

# Seeds: a fraction of a second of tone in each format the program reads.
seeds="$dir/seeds/audio"
if [ ! -d "$seeds" ]; then
    mkdir -p "$seeds.tmp"
    tone=(-hide_banner -loglevel error -y -f lavfi -i "sine=frequency=440:sample_rate=8000:duration=0.15")
    ffmpeg "${tone[@]}" -ac 1 -c:a pcm_s16le "$seeds.tmp/mono16.wav"
    ffmpeg "${tone[@]}" -ac 2 -c:a pcm_u8 "$seeds.tmp/stereo8.wav"
    ffmpeg "${tone[@]}" -ac 1 -c:a adpcm_ms "$seeds.tmp/adpcm.wav"
    ffmpeg "${tone[@]}" -ac 1 -ar 16000 -c:a libmp3lame -b:a 8k "$seeds.tmp/tone.mp3"
    ffmpeg "${tone[@]}" -ac 1 -ar 16000 -c:a mp2 -b:a 32k "$seeds.tmp/tone.mp2"
    ffmpeg "${tone[@]}" -ac 1 -ar 16000 -c:a libmp3lame -q:a 9 "$seeds.tmp/vbr.mp3"
    ffmpeg "${tone[@]}" -ac 1 -ar 22050 -c:a wmav2 -b:a 32k "$seeds.tmp/tone.wma"
    ffmpeg "${tone[@]}" -ac 1 -c:a libvorbis -q:a 0 "$seeds.tmp/tone.ogg"
    ffmpeg "${tone[@]}" -ac 1 -c:a g726 -b:a 32k -f g726 "$seeds.tmp/tone.g726"
    ffmpeg "${tone[@]}" -ac 1 -c:a flac "$seeds.tmp/tone.flac"
    ffmpeg "${tone[@]}" -ac 1 -c:a pcm_s16le -metadata title=Seed -metadata artist=Fuzz \
        -f avi "$seeds.tmp/tone.avi"
    ffmpeg "${tone[@]}" -ac 1 -c:a libmp3lame -b:a 8k -metadata title=Seed -metadata artist=Fuzz \
        -id3v2_version 3 -write_id3v1 1 "$seeds.tmp/tagged.mp3"
    mv "$seeds.tmp" "$seeds"
fi
ini_seeds="$dir/seeds/ini"
if [ ! -d "$ini_seeds" ]; then
    mkdir -p "$ini_seeds"
    printf '[options]\nsavepath=/tmp/rec/\nsaveformat=.mp3\ntimelimit=0x10\n' >"$ini_seeds/plain.ini"
    printf '\xef\xbb\xbf[Options]\r\n SavePath = "a b" \r\n;c=d\r\n[tips]\r\nshowtip=$1\r\n' \
        >"$ini_seeds/bom_crlf.ini"
    printf '\xff\xfe[\x00a\x00]\x00\n\x00k\x00=\x00v\x00\n\x00' >"$ini_seeds/utf16.ini"
    printf 'x=1\n[a]\ra=\xe9\r[a]\na=2\n[options\ntimelimit=-2147483648\n' >"$ini_seeds/odd.ini"
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The fuzzers run side by side: each gets its time, and the wait is that of the longest.
run_one() {
    local f=$1 corpus="$dir/corpus/$1" artifacts="$dir/artifacts/$1" seed_dir=$seeds
    mkdir -p "$corpus" "$artifacts"
    [ "$f" = ini_file_fuzzer ] && seed_dir=$ini_seeds
    "$dir/fuzz/$f" "$corpus" "$seed_dir" -max_total_time="$seconds" -max_len=65536 \
        -timeout=20 -rss_limit_mb=2048 -artifact_prefix="$artifacts/" -print_final_stats=1 \
        2>"$dir/$f.log"
}
pids=()
for f in "${fuzzers[@]}"; do
    echo "== $f: ${seconds} s"
    run_one "$f" &
    pids+=($!)
done
status=0
for i in "${!fuzzers[@]}"; do
    f=${fuzzers[$i]}
    if ! wait "${pids[$i]}"; then
        echo "$f FAILED; input kept in $dir/artifacts/$f, log in $dir/$f.log"
        tail -n 60 "$dir/$f.log"
        status=1
    else
        echo "$f:"
        grep -E "stat::number_of_executed_units|cov:" "$dir/$f.log" | tail -n 2
    fi
done
[ -n "${KORVANTA_STEP_TIMES:-}" ] && echo "fuzzers: $((SECONDS - started)) s" >>"$KORVANTA_STEP_TIMES"
exit $status
