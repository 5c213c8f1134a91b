# Shared by scripts/test: the fill's tests that need no GL context (the
# tessellator, its mesh and arena, flattening and stroking), built with
# AddressSanitizer and UndefinedBehaviorSanitizer in a build folder of their
# own ($VELMO_ASAN_BUILD_DIR, <root>/build-asan by default) and run there. Any
# report of the sanitizers fails them.
run_asan_tests() {
    local dir=${VELMO_ASAN_BUILD_DIR:-$root/build-asan}
    local start=$SECONDS
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVELMO_ASAN=ON -DVELMO_TESTS=OFF -DVELMO_BENCH=OFF >/dev/null
    cmake --build "$dir" -j "$jobs" --target asan_tests
    ctest --test-dir "$dir/tests/asan" --output-on-failure --no-tests=error -j "$jobs"
    echo "AddressSanitizer tests: $((SECONDS - start)) s"
}
