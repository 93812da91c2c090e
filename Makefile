# Tolvane: a picture property editor package, its platform layer and its reference host.
BUILD ?= build
SANITIZE ?= OFF
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
DEMO_DIR ?= $(BUILD)/demo

.PHONY: all deps configure build test demo run bench format clean

all: build

# Installs the Debian packages the build needs, only those missing (needs root when any are).
deps:
	@./tools/deps.sh

# Sanitizer builds are unoptimised with line tables only: they build fastest and still give
# stack traces with file and line.
ifeq ($(SANITIZE),ON)
SANITIZE_FLAGS = -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1
endif

configure:
	@cmake -S . -B $(BUILD) -DTOLVANE_SANITIZE=$(SANITIZE) $(SANITIZE_FLAGS) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

test: deps
	@$(MAKE) --no-print-directory build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j$(JOBS)

# Writes sample images, walks through a typical edit in the host and writes a screenshot of each step.
demo: deps
	@$(MAKE) --no-print-directory build
	@$(BUILD)/bin/tolvane-host --demo $(DEMO_DIR)
	@echo "Demo pictures: $(DEMO_DIR)/*.png (sample images in $(DEMO_DIR)/images, transcript $(DEMO_DIR)/transcript.txt)"

# Opens the host's window: the sample form, its components and the object inspector.
run: deps
	@$(MAKE) --no-print-directory build
	@$(BUILD)/bin/tolvane-host

bench: deps
	@$(MAKE) --no-print-directory build CMAKE_FLAGS="-DTOLVANE_BENCH=ON -DCMAKE_BUILD_TYPE=Release" BUILD=$(BUILD)-bench
	@$(BUILD)-bench/bin/tolvane-bench

format:
	@git ls-files '*.cpp' '*.hpp' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) $(BUILD)-*
