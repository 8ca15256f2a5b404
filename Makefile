# The commands of the README. Each installs what is missing first.
.PHONY: demo run test bench deps format check-format lint screenshots deb check-deb bundle \
	check-bundle

deps:
	@bash scripts/install-deps.sh

# Builds the program (release) and starts it on a sandbox of its own: FS22 and
# FS25 "installed", a dedicated server on 127.0.0.1 and a mod folder that
# follows it. Closing the program ends the demo and removes the sandbox.
demo: deps
	cmake --preset release
	cmake --build --preset release --target tilvane_demo
	./build/release/tools/demo/tilvane_demo

# Builds the program (release) and starts it on this machine's games.
run: deps
	cmake --preset release
	cmake --build --preset release --target tilvane
	./build/release/src/app/tilvane

# Checks the formatting first (scripts/check-format.sh); builds everything with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs every test; then
# cross-compiles the Windows platform layer and runs its tests under Wine.
test: deps
	bash scripts/check-format.sh
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

# The Debian package: build/release/tilvane_<version>_amd64.deb.
deb: deps
	cmake --preset release
	cmake --build --preset release --target tilvane
	cd build/release && cpack

# Installs the package into a fresh Debian 12 root (debootstrap) and starts it
# there, headless and on Xvfb. Needs root and Debian's mirror.
check-deb: deb
	bash scripts/check-deb.sh $$(ls -t build/release/tilvane_*.deb | head -n1)

# The portable bundle for the Steam Deck and distributions without .deb:
# build/release/tilvane-<version>-linux-x86_64.tar.gz, the program with the Qt
# and other libraries a desktop does not bring (scripts/make-bundle.sh).
bundle: deps
	cmake --preset release
	cmake --build --preset release --target tilvane
	bash scripts/make-bundle.sh build/release

# Unpacks the bundle into a fresh Debian 13 root without Qt and starts it
# there, headless and on Xvfb. Needs root and Debian's mirror.
check-bundle: bundle
	cmake --build --preset release --target tilvane_demo_server
	DEMO_SERVER=build/release/tools/demo/tilvane_demo_server bash scripts/check-bundle.sh $$(ls -t build/release/tilvane-*-linux-x86_64.tar.gz | head -n1)

# Formats every tracked source with the repository's .clang-format.
format: deps
	@git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format -i

# Fails when a source is not formatted (`make test` runs it first).
check-format: deps
	bash scripts/check-format.sh

# clang-tidy with the repository's .clang-tidy over src/, tools/, bench/ and
# tests/; fails on any finding. Takes minutes; not part of `make test`.
# `scripts/lint.sh --by-check [folder]` lists the findings grouped by check.
lint: deps
	bash scripts/lint.sh
