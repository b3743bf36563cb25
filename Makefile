# Set-up and build entry points. `make run` and `make test` install what is
# missing on a Debian 12 machine, configure, build and then run.

BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
JOBS      ?= $(shell nproc)
DEBS      := cmake g++ make pkg-config qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql \
             libsodium-dev xvfb xauth imagemagick poppler-utils ccache postgresql
SUDO      := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build run test bench clean

deps:
	@missing=""; for p in $(DEBS); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -q && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q $$missing; \
	fi

$(BUILD_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release

configure: deps $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/vok

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --no-tests=error --output-on-failure -j $(JOBS)

# Benchmarks at fleet scale (docs/PERFORMANCE.md): a Release build, the synthetic
# databases generated once into $(BENCH_DATA) (500 vehicles x 10 years, and its
# 1% of 5 vehicles), then one run of vokbench.
BENCH_DATA ?= $(BUILD_DIR)/bench-data

bench: configure
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD_DIR) -j $(JOBS) --target vokgen vokbench
	@for spec in full:500 small:5; do \
	  name=$${spec%%:*}; vehicles=$${spec##*:}; \
	  if [ ! -f $(BENCH_DATA)/$$name/vok.db ]; then \
	    rm -rf $(BENCH_DATA)/$$name.tmp && \
	    $(BUILD_DIR)/bench/vokgen --data-dir $(BENCH_DATA)/$$name.tmp --vehicles $$vehicles --last-year 2025 && \
	    mv $(BENCH_DATA)/$$name.tmp $(BENCH_DATA)/$$name || exit 1; \
	  fi; \
	done
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bench/vokbench --full $(BENCH_DATA)/full --small $(BENCH_DATA)/small \
	  --work-dir $(BENCH_DATA)/work

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)
