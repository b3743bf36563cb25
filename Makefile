# Set-up and build entry points. `make run` and `make test` install what is
# missing on a Debian 12 machine, configure, build and then run.

BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
JOBS      ?= $(shell nproc)
DEBS      := cmake g++ make pkg-config qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql \
             libsodium-dev xvfb xauth imagemagick poppler-utils ccache
SUDO      := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

FUZZ_SECONDS ?= 60
# Sanitizer runs stop at the first finding, leaks included (suppressions, if
# ever needed for Qt's own allocations, go in tests/reliability/lsan.supp).
SANITIZER_ENV := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1 \
                 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/reliability/lsan.supp:print_suppressions=0 \
                 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: deps configure build run test build-asan test-asan fuzz clean

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

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
$(ASAN_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOK_SANITIZE=ON

build-asan: deps $(ASAN_DIR)/CMakeCache.txt
	cmake --build $(ASAN_DIR) -j $(JOBS)

test-asan: build-asan
	cd $(ASAN_DIR) && $(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen ctest --no-tests=error --output-on-failure -j $(JOBS)

# Hostile input for FUZZ_SECONDS seconds in all (seed: VOK_SEED), under the
# sanitizers: five generators of texts and values, a fifth of the time each.
fuzz: build-asan
	@per=$$(( $(FUZZ_SECONDS) / 5 )); [ $$per -gt 0 ] || per=1; \
	cd $(ASAN_DIR)/tests && export $(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen VOK_FUZZ_SECONDS=$$per && \
	./tst_numberfuzz && ./tst_hostiletext

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)
