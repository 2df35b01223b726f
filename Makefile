# Zelvan: set-up, build, run and test. `make run` and `make test` each do everything on a fresh
# Debian 12 machine (packages come from apt-get through `make deps`).

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD?= build-bench
PACKAGE_BUILD ?= build-package
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60

PACKAGES = cmake ninja-build g++ clang libclang-rt-14-dev ccache pkg-config \
           qt6-base-dev qt6-base-dev-tools qt6-base-private-dev libgl-dev \
           libopenal-dev libopenal1 libjpeg62-turbo-dev \
           libgtest-dev libgmock-dev libbenchmark-dev libsdl2-dev \
           fonts-liberation fonts-quicksand fontconfig \
           xvfb xauth imagemagick xdotool \
           dpkg-dev desktop-file-utils appstream lintian

# Only the benchmarks need these: the peer game bench/present_cpu.sh measures beside the program.
BENCH_PACKAGES = sgt-puzzles

CMAKE_FLAGS = -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps bench-deps build run test asan fuzz bench assets package clean

deps bench-deps:
	@missing=""; for p in $(if $(filter bench-deps,$@),$(BENCH_PACKAGES),$(PACKAGES)); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -z "$$missing" ]; then exit 0; fi; \
	if [ "$$(id -u)" != 0 ]; then \
	  echo "make $@: missing Debian packages:$$missing"; \
	  echo "make $@: run 'sudo make $@' (or apt-get install them) and try again."; exit 1; \
	fi; \
	echo "Installing:$$missing"; \
	apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing

$(BUILD)/build.ninja: CMakeLists.txt
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/zelvan

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELVAN_SANITIZE=ON -DZELVAN_TOOLS=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZELVAN_FUZZ=ON -DZELVAN_TESTS=OFF -DZELVAN_TOOLS=OFF -DZELVAN_SANITIZE=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run.sh $(FUZZ_BUILD)/bin

bench: deps bench-deps
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
package: deps
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
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD) $(PACKAGE_BUILD)
