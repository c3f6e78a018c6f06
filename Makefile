# The two commands that matter: `make demo` and `make test`.
# Both install what is missing, build, and run.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: all bootstrap configure build test test-fast test-asan demo bench clean install-lv2

all: build

bootstrap:
	@scripts/bootstrap

configure: bootstrap
	@cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Every test, in the release build and again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
test: test-fast test-asan

test-fast: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: bootstrap
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DINTONARA_SANITIZE=address,undefined -DINTONARA_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The built-in demo phrase, sung out of tune, corrected with the default
# settings; the report measures both files with a detector of its own.
demo: build
	@mkdir -p demo-out
	@$(BUILD)/bin/intonara-demo-input demo-out/input.wav
	@$(BUILD)/bin/intonara correct demo-out/input.wav -o demo-out/corrected.wav
	@$(BUILD)/bin/intonara-pitch-report demo-out/input.wav demo-out/corrected.wav

bench: build
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done

# The LV2 plug-in bundle, into ~/.lv2 (or LV2_INSTALL_DIR) where LV2 hosts
# look for plug-ins. An earlier copy is replaced only once the new one is
# complete.
install-lv2: configure
	@cmake --build $(BUILD) -j $(JOBS) --target intonara_lv2_bundle
	@dest="$${LV2_INSTALL_DIR:-$$HOME/.lv2}"; \
	    mkdir -p "$$dest" && rm -rf "$$dest/.intonara.lv2.new" && \
	    cp -R $(BUILD)/lv2/intonara.lv2 "$$dest/.intonara.lv2.new" && \
	    rm -rf "$$dest/intonara.lv2" && mv "$$dest/.intonara.lv2.new" "$$dest/intonara.lv2" && \
	    echo "installed $$dest/intonara.lv2"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
