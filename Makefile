# The few commands people use. Everything builds under build/.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=Release

.PHONY: all deps native windows run test clean

all: native windows

deps:
	@scripts/deps

# The Windows build that the Wine tests run: the 32-bit program itself where this machine can run
# 32-bit code, else the same sources built for 64-bit.
wine_arch = $$(scripts/winebench arch)

native: deps
	@cmake --no-warn-unused-cli -S . -B $(BUILD)/native $(CMAKE_FLAGS) -DTQ_WINDOWS_TEST_BUILD_DIR=$(abspath $(BUILD))/$(wine_arch) >/dev/null
	@cmake --build $(BUILD)/native -j $(JOBS)

windows: deps native
	@cmake --no-warn-unused-cli -S . -B $(BUILD)/win32 $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	    -DTQ_NATIVE_BUILD_DIR=$(abspath $(BUILD))/native >/dev/null
	@cmake --build $(BUILD)/win32 -j $(JOBS)
	@if [ "$(wine_arch)" = win64 ]; then \
	    cmake --no-warn-unused-cli -S . -B $(BUILD)/win64 $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
	        -DTQ_NATIVE_BUILD_DIR=$(abspath $(BUILD))/native >/dev/null && \
	    cmake --build $(BUILD)/win64 -j $(JOBS); fi

test: native windows
	@cd $(BUILD)/native && ctest --output-on-failure -j $(JOBS)

run: windows
	@scripts/run-tallyquill $(BUILD)/$(wine_arch)

clean:
	rm -rf $(BUILD)
