# Shared by scripts/test: the tests of the code that runs on several threads
# (tests/tsan), built with ThreadSanitizer in a build folder of their own
# ($VELMO_TSAN_BUILD_DIR, <root>/build-tsan by default) and run there. Any
# report of the sanitizer fails them.
run_tsan_tests() {
    local dir=${VELMO_TSAN_BUILD_DIR:-$root/build-tsan}
    local targets=(tsan_dump_writer tsan_parallel_decode tsan_parallel_pieces)
    local start=$SECONDS
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVELMO_TSAN=ON -DVELMO_TESTS=OFF -DVELMO_BENCH=OFF >/dev/null
    cmake --build "$dir" -j "$jobs" --target "${targets[@]}"
    ctest --test-dir "$dir/tests/tsan" --output-on-failure --no-tests=error -j "${#targets[@]}"
    echo "ThreadSanitizer tests: $((SECONDS - start)) s"
}
