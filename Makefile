# Set-up and build entry points. `make run` and `make test` install what is
# missing on a Debian 12 machine, configure, build and then run.

BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
JOBS      ?= $(shell nproc)
# Every package whose files the build uses (tests/package/builddeps.py checks
# it against the build's CMakeCache): Qt6Charts needs Qt6OpenGL's CMake files,
# Qt's OpenGL lookup EGL and GLU, xlsxwriter's pkg-config -lz.
DEBS      := cmake g++ make pkg-config qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql \
             libsodium-dev libsqlite3-dev mdbtools xvfb xauth imagemagick poppler-utils ccache postgresql \
             libxlsxwriter-dev python3 qt6-charts-dev libqt6opengl6-dev zlib1g-dev libegl-dev libglu1-mesa-dev libpq-dev \
             qt6-l10n-tools
SUDO      := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# What building and checking the Debian package needs beyond DEBS.
PACKAGE_DEBS := dpkg-dev file lintian desktop-file-utils appstream man-db
# What is installed is built from these targets alone (no tests).
INSTALLED_TARGETS := vok vok_reports vok_dist
# `make install DESTDIR=... CMAKE_INSTALL_PREFIX=...`
CMAKE_INSTALL_PREFIX ?= /usr/local
DESTDIR ?=

FUZZ_SECONDS ?= 60
FUZZ_DIR  ?= build-fuzz
FUZZ_DEBS := clang-14 libclang-rt-14-dev
CLANGXX   ?= clang++-14
# Sanitizer runs stop at the first finding, leaks included (suppressions, if
# ever needed for Qt's own allocations, go in tests/reliability/lsan.supp).
SANITIZER_ENV := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1 \
                 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/reliability/lsan.supp:print_suppressions=0 \
                 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: deps fuzz-deps package-deps configure build build-program run demo test build-asan test-asan fuzz bench \
        bench-postgres install package test-package clean

# Installs the Debian packages of $(1) that are missing.
define install_missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -q && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q $$missing; \
	fi
endef

deps:
	$(call install_missing,$(DEBS))

package-deps: deps
	$(call install_missing,$(PACKAGE_DEBS))

# libFuzzer comes with clang; only `make fuzz` needs it.
fuzz-deps: deps
	$(call install_missing,$(FUZZ_DEBS))

$(BUILD_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release

configure: deps $(BUILD_DIR)/CMakeCache.txt

# Everything: the program, the test programs, the benchmarks (what `make test` needs).
build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The program alone (with its report definitions), then the program.
build-program: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target vok

run: build-program
	$(BUILD_DIR)/vok

# The program on a sample fleet (vok --demo), in a data folder of the build
# made afresh each time; `make demo DEMO_SEED=N` for another fleet.
DEMO_DIR  := $(BUILD_DIR)/demo
DEMO_SEED ?= 1

demo: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target vok
	rm -rf "$(DEMO_DIR)"
	$(BUILD_DIR)/vok --demo "$(DEMO_DIR)" --seed $(DEMO_SEED)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --no-tests=error --output-on-failure -j $(JOBS)

# The installed tree (cmake/Install.cmake lists it), e.g.
#   make install DESTDIR=/tmp/root CMAKE_INSTALL_PREFIX=/usr
install: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target $(INSTALLED_TARGETS)
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(CMAKE_INSTALL_PREFIX)"

# The Debian package vok_VERSION_ARCH.deb, from the Release build, into $(BUILD_DIR).
package: package-deps configure
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD_DIR) -j $(JOBS) --target $(INSTALLED_TARGETS)
	cd $(BUILD_DIR) && rm -f vok_*.deb && cpack -G DEB

# The package checked as an administrator would meet it: lintian, the desktop
# entry, the AppStream metadata, then unpacked into a temporary folder and run
# from there (version, and a report from the installed definitions).
test-package: package
	tests/package/checkpackage.sh $(BUILD_DIR)

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer,
# GUI tests included. The second run of the stores and windows on a PostgreSQL
# server (label postgres) is left to `make test`: it goes through the same
# code of ours, and would double the time.
$(ASAN_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOK_SANITIZE=ON

build-asan: deps $(ASAN_DIR)/CMakeCache.txt
	cmake --build $(ASAN_DIR) -j $(JOBS)

test-asan: build-asan
	cd $(ASAN_DIR) && $(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen ctest --no-tests=error --output-on-failure -j $(JOBS) -LE postgres

# Hostile input under the sanitizers: the seven randomized generators of the
# test suite (seed: VOK_SEED) share FUZZ_SECONDS, then each coverage-guided
# libFuzzer target runs FUZZ_SECONDS on one reader of outside input (the
# number helpers, the formula language, mdbtools' CSV and schema output, the
# report definitions, a crafted copy to restore, a fuel-card statement, an
# e-invoice); each corpus grows in
# $(FUZZ_DIR)/corpus-NAME from run to run (docs/RELIABILITY.md).
FUZZ_FLAGS = -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
             -Isrc $$(pkg-config --cflags Qt6Core)
FUZZ_TARGETS := numbers formula mdbcsv reportdefinition copycheck cardstatement efactura
# Sound inputs a target starts from besides its corpus.
FUZZ_SEEDS_reportdefinition := reports

$(FUZZ_DIR)/fuzz_numbers: tests/fuzz/fuzz_numbers.cpp src/base/numbers.cpp src/base/numbers.h | fuzz-deps
	mkdir -p $(FUZZ_DIR)
	$(CLANGXX) $(FUZZ_FLAGS) tests/fuzz/fuzz_numbers.cpp src/base/numbers.cpp \
	  -o $@ $$(pkg-config --libs Qt6Core)

$(FUZZ_DIR)/fuzz_formula: tests/fuzz/fuzz_formula.cpp src/reports/selectionformula.cpp src/reports/selectionformula.h \
                          src/base/numbers.cpp src/base/numbers.h | fuzz-deps
	mkdir -p $(FUZZ_DIR)
	$(CLANGXX) $(FUZZ_FLAGS) tests/fuzz/fuzz_formula.cpp src/reports/selectionformula.cpp src/base/numbers.cpp \
	  -o $@ $$(pkg-config --libs Qt6Core)

$(FUZZ_DIR)/fuzz_cardstatement: tests/fuzz/fuzz_cardstatement.cpp src/cards/statement.cpp src/cards/statement.h \
                                src/sheet/csv.cpp src/sheet/csv.h | fuzz-deps
	mkdir -p $(FUZZ_DIR)/corpus-cardstatement
	$(CLANGXX) $(FUZZ_FLAGS) tests/fuzz/fuzz_cardstatement.cpp src/cards/statement.cpp src/sheet/csv.cpp \
	  -o $@ $$(pkg-config --libs Qt6Core)

$(FUZZ_DIR)/fuzz_efactura: tests/fuzz/fuzz_efactura.cpp src/cards/efactura.cpp src/cards/efactura.h | fuzz-deps
	mkdir -p $(FUZZ_DIR)/corpus-efactura
	$(CLANGXX) $(FUZZ_FLAGS) tests/fuzz/fuzz_efactura.cpp src/cards/efactura.cpp -o $@ $$(pkg-config --libs Qt6Core)


$(FUZZ_DIR)/fuzz_mdbcsv: tests/fuzz/fuzz_mdbcsv.cpp src/sheet/csv.cpp src/legacy/mdbreader.cpp \
                         src/legacy/mdbreader.h src/db/backup.cpp src/db/backupfiles.cpp src/db/backupschema.cpp \
                         src/db/database.cpp src/db/schema.cpp | fuzz-deps
	mkdir -p $(FUZZ_DIR)
	$(CLANGXX) $(FUZZ_FLAGS) $$(pkg-config --cflags Qt6Sql) tests/fuzz/fuzz_mdbcsv.cpp src/sheet/csv.cpp \
	  src/legacy/mdbreader.cpp src/db/backup.cpp src/db/backupfiles.cpp src/db/backupschema.cpp src/db/database.cpp \
	  src/db/schema.cpp -o $@ $$(pkg-config --libs Qt6Sql sqlite3)

$(FUZZ_DIR)/fuzz_reportdefinition: tests/fuzz/fuzz_reportdefinition.cpp src/reports/reportdefinition.cpp \
                                   src/reports/reportdefinition.h src/reports/selectionformula.cpp \
                                   src/base/numbers.cpp | fuzz-deps
	mkdir -p $(FUZZ_DIR)
	$(CLANGXX) $(FUZZ_FLAGS) tests/fuzz/fuzz_reportdefinition.cpp src/reports/reportdefinition.cpp \
	  src/reports/selectionformula.cpp src/base/numbers.cpp -o $@ $$(pkg-config --libs Qt6Core)

$(FUZZ_DIR)/fuzz_copycheck: tests/fuzz/fuzz_copycheck.cpp src/db/backup.cpp src/db/backupfiles.cpp \
                            src/db/backupschema.cpp src/db/database.cpp src/db/schema.cpp | fuzz-deps
	mkdir -p $(FUZZ_DIR)
	$(CLANGXX) $(FUZZ_FLAGS) $$(pkg-config --cflags Qt6Sql) tests/fuzz/fuzz_copycheck.cpp src/db/backup.cpp \
	  src/db/backupfiles.cpp src/db/backupschema.cpp src/db/database.cpp src/db/schema.cpp \
	  -o $@ $$(pkg-config --libs Qt6Sql sqlite3)

fuzz: build-asan $(addprefix $(FUZZ_DIR)/fuzz_,$(FUZZ_TARGETS))
	@per=$$(( $(FUZZ_SECONDS) / 7 )); [ $$per -gt 0 ] || per=1; \
	export $(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen VOK_FUZZ_SECONDS=$$per && \
	$(ASAN_DIR)/tests/tst_numberfuzz && $(ASAN_DIR)/tests/tst_hostiletext && $(ASAN_DIR)/tests/tst_formulafuzz && \
	for target in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_DIR)/corpus-$$target; \
	  dict=; [ -f tests/fuzz/$$target.dict ] && dict=-dict=tests/fuzz/$$target.dict; \
	  echo "fuzz_$$target: $(FUZZ_SECONDS) s"; \
	  $(FUZZ_DIR)/fuzz_$$target -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $$dict \
	    -artifact_prefix=$(FUZZ_DIR)/$$target- $(FUZZ_DIR)/corpus-$$target \
	    $$(case $$target in reportdefinition) echo $(FUZZ_SEEDS_reportdefinition);; esac) || exit 1; \
	done

# Benchmarks at fleet scale (docs/PERFORMANCE.md): a Release build, the synthetic
# databases generated once into $(BENCH_DATA) (500 vehicles x 10 years, and its
# 1% of 5 vehicles), then one run of vokbench.
BENCH_DATA ?= $(BUILD_DIR)/bench-data

bench: configure
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD_DIR) -j $(JOBS) --target vokgen vokbench
	@for fleet in full:500 small:5; do \
	  name=$${fleet%%:*}; vehicles=$${fleet##*:}; \
	  if [ ! -f $(BENCH_DATA)/$$name/vok.db ]; then \
	    rm -rf $(BENCH_DATA)/$$name.tmp && \
	    $(BUILD_DIR)/bench/vokgen --data-dir $(BENCH_DATA)/$$name.tmp --vehicles $$vehicles --last-year 2025 && \
	    mv $(BENCH_DATA)/$$name.tmp $(BENCH_DATA)/$$name || exit 1; \
	  fi; \
	done
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bench/vokbench --full $(BENCH_DATA)/full --small $(BENCH_DATA)/small \
	  --work-dir $(BENCH_DATA)/work

# The per-vehicle figures of `make bench` on a throw-away PostgreSQL server
# (docs/PERFORMANCE.md): a 50-vehicle fleet generated into it each time, and
# the round trips of one trip save counted in the server's log. The server is
# stopped and removed afterwards, also when something fails.
BENCH_PG_PORT ?= 28400

bench-postgres: configure
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD_DIR) -j $(JOBS) --target vokgen vokbench
	bench/benchpostgres.sh $(BUILD_DIR) $(BENCH_PG_PORT)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
