# Zelvan: set-up, build, run and test. `make run` and `make test` each do everything on a fresh
# Debian 12 machine, run as a normal user: the Debian packages they need come from apt-get
# through `sudo` (the only step that asks for root), and the build directories stay the user's.

BUILD      ?= build
RUN_BUILD  ?= build-run
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD?= build-bench
PACKAGE_BUILD ?= build-package
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60

# What building and running the game needs: compiler and build tools, Qt, OpenAL, libjpeg,
# libwayland-client (asking a Wayland compositor whether it draws title bars), libxcb with its
# MIT-SHM binding (frames put straight into the window) and the fonts the
# game puts in place of its old font names.
RUN_PACKAGES = cmake ninja-build g++ pkg-config \
           qt6-base-dev qt6-base-dev-tools qt6-base-private-dev libgl-dev libwayland-dev \
           libxcb1-dev libxcb-shm0-dev \
           libopenal-dev libopenal1 libjpeg62-turbo-dev \
           fonts-liberation fonts-quicksand fontconfig
# What the tests, sanitizer and fuzz runs, benchmarks and package checks need on top.
TEST_PACKAGES = clang libclang-rt-14-dev ccache \
           libgtest-dev libgmock-dev libbenchmark-dev libsdl2-dev \
           xvfb xauth imagemagick xdotool openbox x11-utils x11-xserver-utils \
           weston qt6-wayland \
           dpkg-dev desktop-file-utils appstream lintian
PACKAGES = $(RUN_PACKAGES) $(TEST_PACKAGES)

# Only the benchmarks need these: the peer game bench/present_cpu.sh measures beside the program.
BENCH_PACKAGES = sgt-puzzles

CMAKE_FLAGS = -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps deps-run deps-test bench-deps build run test asan fuzz bench assets package clean

# Installs whichever of the listed packages are missing: directly as root, through sudo otherwise.
define install_missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -z "$$missing" ]; then exit 0; fi; \
	echo "Installing Debian packages:$$missing"; \
	if [ "$$(id -u)" = 0 ]; then sudo=; \
	elif command -v sudo >/dev/null; then sudo="sudo"; \
	else echo "make: missing Debian packages:$$missing; install them as root (apt-get install) and try again."; exit 1; fi; \
	$$sudo apt-get update -qq && $$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing
endef

# A build directory left by another user (say by an earlier `sudo make`) cannot be written: say so
# plainly instead of letting CMake or Ninja fail half-way.
define check_owner
	@if [ -e "$(1)" ] && [ "$$(stat -c %u "$(1)")" != "$$(id -u)" ]; then \
	  echo "make: $(1)/ belongs to $$(stat -c %U "$(1)"), not to $$(id -un): remove it ('sudo rm -rf $(1)') or run make as $$(stat -c %U "$(1)")."; \
	  exit 1; \
	fi
endef

deps-run:
	$(call install_missing,$(RUN_PACKAGES))

deps-test: deps-run
	$(call install_missing,$(TEST_PACKAGES))

deps: deps-test

bench-deps: deps-test
	$(call install_missing,$(BENCH_PACKAGES))

$(BUILD)/build.ninja: CMakeLists.txt
	$(call check_owner,$(BUILD))
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps-test
	$(call check_owner,$(BUILD))
	@$(MAKE) --no-print-directory $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# The game alone, in a build directory of its own: no tests, no tools.
run: deps-run
	$(call check_owner,$(RUN_BUILD))
	cmake -S . -B $(RUN_BUILD) $(CMAKE_FLAGS) -DZELVAN_TESTS=OFF -DZELVAN_TOOLS=OFF
	cmake --build $(RUN_BUILD) -j $(JOBS)
	$(RUN_BUILD)/bin/zelvan

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

asan: deps-test
	$(call check_owner,$(ASAN_BUILD))
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELVAN_SANITIZE=ON -DZELVAN_TOOLS=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

fuzz: deps-test
	$(call check_owner,$(FUZZ_BUILD))
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZELVAN_FUZZ=ON -DZELVAN_TESTS=OFF -DZELVAN_TOOLS=OFF -DZELVAN_SANITIZE=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run.sh $(FUZZ_BUILD)/bin

bench: bench-deps
	$(call check_owner,$(BENCH_BUILD))
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELVAN_BENCH=ON -DZELVAN_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen $(BENCH_BUILD)/bin/frame_bench
	QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$$(mktemp -d) $(BENCH_BUILD)/bin/startup_bench
	QT_QPA_PLATFORM=offscreen $(BENCH_BUILD)/bin/sound_bench
	QT_QPA_PLATFORM=offscreen $(BENCH_BUILD)/bin/input_bench
	bench/present_cpu.sh $(BENCH_BUILD)/bin

assets: build
	$(BUILD)/bin/assetgen assets

# The Debian package, built as the distribution builds its own: its compiler and linker flags with
# every hardening feature, no tests or tools, then CPack.
package: deps-test
	$(call check_owner,$(PACKAGE_BUILD))
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZELVAN_TESTS=OFF -DZELVAN_TOOLS=OFF \
	  -DCMAKE_C_FLAGS="$$(dpkg-buildflags --get CFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	  -DCMAKE_MODULE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	  -DCMAKE_SHARED_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack -G DEB
	lintian --fail-on error --info $(PACKAGE_BUILD)/zelvan_*.deb

clean:
	rm -rf $(BUILD) $(RUN_BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD) $(PACKAGE_BUILD)
