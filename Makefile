# The few commands people use. Everything builds under build/.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=Release

.PHONY: all deps native windows sanitize run test fuzz bench clean

all: native windows

deps:
	@scripts/deps $(BUILD)

# The Windows build that the Wine tests and `make run` use: the 32-bit program itself, under the
# emulated 32-bit loader where the processor runs no 32-bit code. `make test WINDOWS=win64` tests the
# same sources built for 64-bit instead: a quicker loop for developers, never the product.
WINDOWS ?= win32
# The cross toolchain of each Windows build.
TOOLCHAIN_win32 = cmake/mingw-i686.cmake
TOOLCHAIN_win64 = cmake/mingw-x86_64.cmake
ifeq ($(TOOLCHAIN_$(WINDOWS)),)
$(error WINDOWS is win32 or win64, not "$(WINDOWS)")
endif

native: deps
	@cmake --no-warn-unused-cli -S . -B $(BUILD)/native $(CMAKE_FLAGS) -DTQ_WINDOWS_TEST_BUILD_DIR=$(abspath $(BUILD))/$(WINDOWS) \
	    -DTQ_SANITIZE_TEST_BUILD_DIR=$(abspath $(BUILD))/sanitize >/dev/null
	@cmake --build $(BUILD)/native -j $(JOBS)

windows: deps native
	@cmake --no-warn-unused-cli -S . -B $(BUILD)/$(WINDOWS) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN_$(WINDOWS)) \
	    -DTQ_NATIVE_BUILD_DIR=$(abspath $(BUILD))/native >/dev/null
	@cmake --build $(BUILD)/$(WINDOWS) -j $(JOBS)

# The native code and its tests again, with address and undefined-behaviour sanitizers.
sanitize: deps
	@cmake --no-warn-unused-cli -S . -B $(BUILD)/sanitize $(CMAKE_FLAGS) -DTQ_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD)/sanitize -j $(JOBS)

test: native windows sanitize
	@cd $(BUILD)/native && ctest --output-on-failure -j $(JOBS)

# Each libFuzzer target for FUZZ_TIME seconds, or until FUZZ_RUNS inputs when that is set (clang,
# address and undefined-behaviour sanitizers); new inputs are kept in build/fuzz/corpus/.
FUZZ_TIME ?= 60
export FUZZ_RUNS
fuzz: deps
	@CC=clang CXX=clang++ cmake --no-warn-unused-cli -S . -B $(BUILD)/fuzz $(CMAKE_FLAGS) -DTQ_FUZZ=ON >/dev/null
	@cmake --build $(BUILD)/fuzz -j $(JOBS)
	@scripts/run-fuzz $(BUILD)/fuzz $(FUZZ_TIME)

# How fast the measures run: each kernel against a memory-read bound, tallyq-count against wc, and
# the dialog's recount, on a generated text; real text of six languages through every kernel; how
# fast documents are read, against zlib's own inflate and the peers docx2txt and odt2txt (installed
# for this only); and the languages again through the Windows build's kernels under Wine.
bench: native windows
	@scripts/deps $(BUILD) bench
	@$(BUILD)/native/bench/measure_bench $(abspath $(BUILD))/native/tallyq-count
	@$(BUILD)/native/bench/language_bench $(abspath $(BUILD))/native/bench/texts
	@$(BUILD)/native/bench/document_bench $(abspath $(BUILD))/native/tallyq-count
	@echo "the $(WINDOWS) kernels, under Wine:"
	@scripts/winebench start $(BUILD)/$(WINDOWS)/bench-wine $(WINDOWS) >/dev/null && \
	  scripts/winebench run $(BUILD)/$(WINDOWS)/bench-wine $(BUILD)/$(WINDOWS)/bench/language_bench.exe --mb 16 \
	    $(abspath $(BUILD))/native/bench/texts; \
	  status=$$?; scripts/winebench stop $(BUILD)/$(WINDOWS)/bench-wine; exit $$status

# `make run DPI=144` shows it on a screen of 144 dots per inch (150 %).
DPI ?= 96
run: windows
	@scripts/run-tallyquill $(BUILD)/$(WINDOWS) $(WINDOWS) $(DPI)

clean:
	rm -rf $(BUILD)
