# make run   - build Korvel.exe and start it under Wine
# make test  - build both ways and run every test
# Both install the Debian packages they need first (tools/bootstrap.sh).

.PHONY: run test test-format test-images test-native test-tsan test-windows test-fuzz bootstrap native \
        native-tsan windows release dist fuzz clean

run: bootstrap
	cmake --preset windows >/dev/null
	cmake --build --preset windows --target Korvel
	tools/run.sh

test: bootstrap test-format test-images test-native test-tsan test-fuzz test-windows

# Every source as .clang-format has it.
test-format:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

# The committed images must be what their pixel maps say.
test-images:
	python3 tools/make_images.py --check

bootstrap:
	@tools/bootstrap.sh

native:
	cmake --preset native >/dev/null
	cmake --build --preset native

# The send job's tests under ThreadSanitizer.
native-tsan:
	cmake --preset native-tsan >/dev/null
	cmake --build --preset native-tsan

windows:
	cmake --preset windows >/dev/null
	cmake --build --preset windows

# The stripped Korvel.exe people take home.
release: bootstrap
	cmake --preset windows-release >/dev/null
	cmake --build --preset windows-release

# What people take home: build/dist/Korvel-<version>.zip (the program with HELP\ and
# history.txt, to unpack anywhere) and build/dist/Korvel-<version>-setup.exe.
dist: bootstrap release
	tools/dist.sh

test-native: native
	ctest --preset native

test-tsan: native-tsan
	ctest --preset native-tsan

# A screen large enough for the window at 200 %.
test-windows: windows
	KORVEL_SCREEN=2048x1536 tools/wine-session.sh --xvfb -- ctest --preset windows

fuzz: bootstrap
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz

# The fuzz targets are built and run over their corpus, so they cannot rot; a long run
# is by hand (tests/fuzz/CMakeLists.txt says how).
test-fuzz: fuzz
	tools/run-fuzz-corpus.sh build/fuzz

clean:
	rm -rf build
