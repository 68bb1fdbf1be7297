# make run   - build Korvel.exe and start it under Wine
# make test  - build both ways and run every test
# Both install the Debian packages they need first (tools/bootstrap.sh).

.PHONY: run test test-images bootstrap native windows test-native test-windows fuzz clean

run: bootstrap windows
	tools/run.sh

test: bootstrap test-images test-native test-windows

# The committed images must be what their pixel maps say.
test-images:
	python3 tools/make_images.py --check

bootstrap:
	@tools/bootstrap.sh

native:
	cmake --preset native >/dev/null
	cmake --build --preset native

windows:
	cmake --preset windows >/dev/null
	cmake --build --preset windows

test-native: native
	ctest --preset native

test-windows: windows
	tools/wine-session.sh --xvfb -- ctest --preset windows

fuzz: bootstrap
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz

clean:
	rm -rf build
