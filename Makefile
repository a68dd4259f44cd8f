# ortk232: `make demo` runs the demonstration, `make check` runs every test.
# Both install what is missing first.
JOBS ?= 2
BUILD := build

.PHONY: all deps native native-san win32 win64 dist demo check check32 check-clean bench format clean

all: native win32 win64

deps:
	@bash scripts/install-deps.sh


native: deps
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD)/native -j $(JOBS)

native-san: deps
	cmake -S . -B $(BUILD)/native-san -DCMAKE_BUILD_TYPE=Debug -DORTK_SANITIZE=ON \
	  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >/dev/null
	cmake --build $(BUILD)/native-san -j $(JOBS)

win32: deps
	cmake -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686.cmake >/dev/null
	cmake --build $(BUILD)/win32 -j $(JOBS)

win64: deps
	cmake -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64.cmake >/dev/null
	cmake --build $(BUILD)/win64 -j $(JOBS)

# dist/ortk232-<version>.zip, the release package (scripts/dist.py).
dist: win32 win64
	python3 scripts/dist.py

# The build's progress goes to build/demo-build.log; demo.sh prints one line
# about it (or the compiler's errors) before the demonstration.
demo: deps
	@MAKE="$(MAKE)" bash scripts/demo.sh

# The time make started, for the run time that check.sh prints at its end.
ORTK_CHECK_STARTED := $(shell date +%s)

check: native native-san win32 win64 dist
	@ORTK_CHECK_STARTED=$(ORTK_CHECK_STARTED) bash scripts/check.sh

# make check on a freshly debootstrapped Debian 12, as root in a chroot.
check-clean:
	@bash scripts/check-clean.sh

# The dialogs and the real-input sessions against the 32-bit DLL, in the
# emulated 32-bit machine (scripts/vm32.sh).
check32: native win32 dist
	@bash scripts/check32.sh

bench: native
	@bash scripts/bench.sh

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
