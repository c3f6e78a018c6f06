# The two commands that matter: `make demo` and `make test`.
# Both install what is missing, build, and run. `make install` puts the
# tool, the desktop app, the plug-in module, the manual page and the LV2
# bundle under PREFIX.

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
PREFIX     ?= $(HOME)/.local
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
# The sanitizer and fuzz builds compile each library as a few large units:
# several times faster from scratch, and they only run tests.
UNITY      := -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=16
# Seconds each fuzz target runs: FUZZ_SECONDS for `make fuzz`, a short
# budget for the run that `make test` includes.
FUZZ_SECONDS    ?= 60
FUZZ_CI_SECONDS ?= 30

.PHONY: all bootstrap configure build test test-fast test-asan test-tsan fuzz fuzz-ci fuzz-build demo bench clean \
        install uninstall install-lv2 gui-screenshots playback-check

all: build

bootstrap:
	@scripts/bootstrap

# The prefix is compiled into the tool, so that a copy of it made anywhere
# still finds the module "make install" put there.
configure: bootstrap
	@cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$(PREFIX)" >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Every test, in the release build and again under AddressSanitizer and
# UndefinedBehaviorSanitizer; the threaded tests under ThreadSanitizer; then
# a short run of every fuzz target.
test: test-fast test-asan test-tsan fuzz-ci

test-fast: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: bootstrap
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(UNITY) \
	    -DINTONARA_SANITIZE=address,undefined -DINTONARA_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# Only the programs labelled "threads" (a streaming thread against the
# settings, the log written from many threads). A race report fails the run.
test-tsan: bootstrap
	@cmake -S . -B $(TSAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(UNITY) \
	    -DINTONARA_SANITIZE=thread -DINTONARA_BENCH=OFF >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target intonara_threaded_tests
	@TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	    ctest --test-dir $(TSAN_BUILD) -L threads --output-on-failure -j $(JOBS)

# libFuzzer targets (clang, with AddressSanitizer and UBSan), each run over
# its seed corpus in tests/fuzz/corpus/. A crash, hang or sanitizer report
# fails the run and leaves the input in $(FUZZ_BUILD)/fuzz-work/.
fuzz-build: bootstrap
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(UNITY) \
	    -DINTONARA_FUZZ=ON -DINTONARA_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target intonara_fuzzers

fuzz: fuzz-build
	@tests/fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-ci: fuzz-build
	@tests/fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_CI_SECONDS)

# The built-in demo phrase, sung out of tune, analysed as the engine hears
# it, corrected with the default settings; the report measures both files
# with a detector of its own.
# Only the four programs the demo runs are built, not the tests.
demo: configure
	@cmake --build $(BUILD) -j $(JOBS) --target intonara intonara_module intonara-demo-input intonara-pitch-report
	@mkdir -p demo-out
	@$(BUILD)/bin/intonara-demo-input demo-out/input.wav
	@$(BUILD)/bin/intonara analyze demo-out/input.wav --png demo-out/input.png
	@$(BUILD)/bin/intonara correct demo-out/input.wav -o demo-out/corrected.wav
	@$(BUILD)/bin/intonara-pitch-report demo-out/input.wav demo-out/corrected.wav

# The desktop app's window in both modes, rendered on the headless display
# with the demo phrase open, for the README.
gui-screenshots: configure
	@cmake --build $(BUILD) -j $(JOBS) --target intonara-gui intonara intonara_module intonara-demo-input
	@mkdir -p demo-out
	@$(BUILD)/bin/intonara-demo-input demo-out/input.wav
	@$(BUILD)/bin/intonara graph track demo-out/input.wav -o demo-out/demo.session --quiet
	@$(BUILD)/bin/intonara graph make-curve demo-out/demo.session --quiet
	@$(BUILD)/bin/intonara-gui --screenshot docs/images/gui-automatic.png demo-out/input.wav
	@$(BUILD)/bin/intonara-gui --screenshot docs/images/gui-graphical.png demo-out/demo.session
	@echo "wrote docs/images/gui-automatic.png and docs/images/gui-graphical.png"

# A minute of playback in the real app on Xvfb with a 10 ms device buffer
# while the panel is worked; fails when the renderer counted an underrun.
playback-check: configure
	@cmake --build $(BUILD) -j $(JOBS) --target intonara-playback-check
	@$(BUILD)/bin/intonara-playback-check

bench: build
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done

# PREFIX/bin/intonara, PREFIX/bin/intonara-gui with its desktop entry and
# icon under PREFIX/share, PREFIX/lib/intonara/intonara-filter.so,
# PREFIX/share/man/man1/intonara.1, and the LV2 bundle in ~/.lv2 for the
# default prefix, else PREFIX/lib/lv2 (LV2_INSTALL_DIR overrides). Only what
# is installed is built.
install: configure
	@cmake --build $(BUILD) -j $(JOBS) --target intonara intonara_module intonara_manpage intonara_lv2_bundle intonara-gui
	@cmake --install $(BUILD) --prefix "$(PREFIX)"

uninstall:
	@cmake -DPREFIX="$(PREFIX)" -P cmake/Uninstall.cmake

# The LV2 plug-in bundle alone, into ~/.lv2 (or LV2_INSTALL_DIR) where LV2
# hosts look for plug-ins. An earlier copy is replaced only once the new one
# is complete.
install-lv2: configure
	@cmake --build $(BUILD) -j $(JOBS) --target intonara_lv2_bundle
	@dest="$${LV2_INSTALL_DIR:-$$HOME/.lv2}"; \
	    mkdir -p "$$dest" && rm -rf "$$dest/.intonara.lv2.new" && \
	    cp -R $(BUILD)/lv2/intonara.lv2 "$$dest/.intonara.lv2.new" && \
	    rm -rf "$$dest/intonara.lv2" && mv "$$dest/.intonara.lv2.new" "$$dest/intonara.lv2" && \
	    echo "installed $$dest/intonara.lv2"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
