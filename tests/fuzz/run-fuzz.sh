#!/usr/bin/env bash
# Builds the BMP, JPEG and clip-header fuzz targets natively (clang, libFuzzer, ASan, UBSan),
# writes their seed corpora and runs each for a bounded time. Any finding fails.
# First it builds and runs, under the same checks, the tests of the window-free code
# whose faults those checks find and Wine cannot (a thread's write into freed memory).
#   tests/fuzz/run-fuzz.sh [output folder]   (FUZZ_SECONDS, default 60)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/build/fuzz}
secs=${FUZZ_SECONDS:-60}
mkdir -p "$out/seeds-bmp" "$out/seeds-jpeg" "$out/seeds-clip" "$out/corpus-bmp" "$out/corpus-jpeg" "$out/corpus-clip"
cd "$root"
common=(-std=c++20 -O1 -g -I"$root")
san=(-fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
clang++ "${common[@]}" "${san[@]}" tests/fuzz/bmp_fuzz.cpp imagefiles/bmp_format.cpp -o "$out/bmp_fuzz"
clang++ "${common[@]}" "${san[@]}" tests/fuzz/jpeg_fuzz.cpp imagefiles/jpeg_codec.cpp imagefiles/jpeg_codes.cpp \
  base/format.cpp -ljpeg -o "$out/jpeg_fuzz"
clang++ "${common[@]}" tests/fuzz/make_seeds.cpp imagefiles/bmp_format.cpp imagefiles/jpeg_codec.cpp \
  imagefiles/jpeg_codes.cpp base/format.cpp tools/ink_jpeg.cpp -ljpeg -o "$out/make_seeds"
clang++ "${common[@]}" "${san[@]}" tests/fuzz/clip_fuzz.cpp video/clip_header.cpp -o "$out/clip_fuzz"
# The background job (the decoder's warm-up runs on one): a job whose owner goes
# at once runs to its end on state of its own. GoogleTest from the source tree the
# build uses, compiled once under the checks.
gtest=/usr/src/googletest/googletest
checks=(-fsanitize=address,undefined -fno-sanitize-recover=all)
for part in gtest-all gtest_main; do
  test -f "$out/$part.o" || clang++ "${common[@]}" "${checks[@]}" -I"$gtest/include" -I"$gtest" \
    -c "$gtest/src/$part.cc" -o "$out/$part.o"
done
clang++ "${common[@]}" "${checks[@]}" -I"$gtest/include" tests/app/background_job_test.cpp base/background_job.cpp \
  "$out/gtest-all.o" "$out/gtest_main.o" -pthread -o "$out/background_job_test"
echo "== background_job_test"
"$out/background_job_test"
"$out/make_seeds" "$out/seeds-bmp" "$out/seeds-jpeg" "$out/seeds-clip"
# The marker clips the build wrote, where it did (MP4 and MOV, a few KB each).
cp "$out"/../tests/marker-*.mp4 "$out"/../tests/marker-*.mov "$out/seeds-clip/" 2>/dev/null || true
if command -v ffmpeg >/dev/null; then  # and a small MJPEG AVI, index and all
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i color=s=16x16:r=30:d=0.1 -c:v mjpeg "$out/seeds-clip/small.avi"
fi
# The largest allocation each reader may make from an input of the fuzzer's size:
# the clip header's is its frame table, a million frames of 8 bytes at most, so a
# length it took at its word (a movie box or index longer than the file) is found
# as soon as it claims more than 12 MB. The picture readers keep libFuzzer's default.
declare -A malloc_limit=([bmp]=2560 [jpeg]=2560 [clip]=12)
for t in bmp jpeg clip; do
  echo "== ${t}_fuzz for ${secs}s"
  (cd "$out" && "./${t}_fuzz" -max_total_time="$secs" -rss_limit_mb=2560 -malloc_limit_mb="${malloc_limit[$t]}" \
     -timeout=10 -print_final_stats=1 "corpus-$t" "seeds-$t" 2>&1 | tail -n 12)
  test "${PIPESTATUS[0]:-0}" -eq 0
done
