# ZIRKO desktop: `make run` starts the program, `make test` runs every test.
BUILD_RELEASE ?= build/release
BUILD_DEBUG   ?= build/debug
BUILD_BENCH   ?= build/bench
BUILD_FUZZ    ?= build/fuzz
JOBS          ?= 2
CMAKE_GEN     := -G Ninja

.PHONY: all deps build run demo test golden package package-check install bench fuzz screenshot format clean

all: build

deps:
	@scripts/install-deps --check || scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD_RELEASE) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DZIRKO_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BUILD_RELEASE) -j $(JOBS)

run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		$(BUILD_RELEASE)/src/zirko; \
	else \
		echo "No display available: running the headless demo instead."; \
		scripts/demo $(BUILD_RELEASE)/src/zirko-cli; \
	fi

demo: build
	@scripts/demo $(BUILD_RELEASE)/src/zirko-cli

test: deps
	@cmake -S . -B $(BUILD_DEBUG) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DZIRKO_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD_DEBUG) -j $(JOBS)
	@cd $(BUILD_DEBUG) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Stores the current zirko-cli outputs as the golden ones (after a change meant to alter them).
golden: deps
	@cmake -S . -B $(BUILD_DEBUG) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DZIRKO_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD_DEBUG) -j $(JOBS) --target golden-update

# The Debian package, from the release build: build/release/package/zirko_*.deb.
package: build
	@cd $(BUILD_RELEASE) && cpack -G DEB >/dev/null
	@ls $(BUILD_RELEASE)/package/*.deb

# lintian, then installs and removes the package with dpkg (needs root).
package-check: package
	@scripts/package-check $(BUILD_RELEASE)/package/zirko_*.deb

bench: deps
	@scripts/install-deps --bench --check || scripts/install-deps --bench
	@cmake -S . -B $(BUILD_BENCH) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DZIRKO_BUILD_TESTS=OFF -DZIRKO_BUILD_BENCH=ON >/dev/null
	@cmake --build $(BUILD_BENCH) -j $(JOBS)
	@for b in $(BUILD_BENCH)/bench/bench_*; do echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b; done

fuzz: deps
	@CXX=clang++ cmake -S . -B $(BUILD_FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIRKO_BUILD_TESTS=OFF -DZIRKO_BUILD_FUZZ=ON \
		-DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
	@cmake --build $(BUILD_FUZZ) -j $(JOBS)

screenshot: build
	@scripts/screenshot $(BUILD_RELEASE)/src/zirko

format:
	@scripts/check-format --fix

clean:
	rm -rf build
