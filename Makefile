# The two commands of the README. Both install what is missing first.
.PHONY: run test bench deps format screenshots

deps:
	@bash scripts/install-deps.sh

# Builds the program (release) and starts it.
run: deps
	cmake --preset release
	cmake --build --preset release --target tilvane
	./build/release/src/app/tilvane

# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test;
# then cross-compiles the Windows platform layer and runs its tests under Wine.
test: deps
	cmake --preset debug
	cmake --build --preset debug
	ctest --preset debug
	bash scripts/test-windows.sh

# Builds the benchmarks (release) and runs each of them.
bench: deps
	cmake --preset release
	cmake --build --preset release
	@for b in $$(find build/release/bench -mindepth 2 -maxdepth 2 -type f -executable -name 'bench_*' | sort); do \
		echo "== $$b"; "$$b" || exit 1; done

# Renders the main window and the small dialogs to docs/screenshots/*.png,
# without a display.
screenshots: deps
	cmake --preset release
	cmake --build --preset release --target tilvane_screenshots
	QT_QPA_PLATFORM=offscreen ./build/release/tools/screenshots/tilvane_screenshots docs/screenshots

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i
