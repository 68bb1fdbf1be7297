# A messenger receiver for the tests that need one: Samba's smbd on a loopback address of its
# own (tools/receiver.sh), started before them and stopped after them by CTest. Tests that
# need it say FIXTURES_REQUIRED receiver and ENVIRONMENT ${KORVEL_RECEIVER_ENVIRONMENT}, and
# find it through KORVEL_RECEIVER (its address) and KORVEL_RECEIVER_INBOX (the folder it
# writes every message to).
# The address and the state folder come from the build folder, so that the receivers of two
# build folders (two presets, two worktrees) can run at the same time.
string(MD5 korvel_build_hash "${CMAKE_BINARY_DIR}")
string(SUBSTRING ${korvel_build_hash} 0 2 korvel_byte3)
string(SUBSTRING ${korvel_build_hash} 2 2 korvel_byte4)
math(EXPR korvel_byte3 "0x${korvel_byte3}")
math(EXPR korvel_byte4 "0x${korvel_byte4} % 254 + 1")
set(KORVEL_RECEIVER_ADDRESS 127.83.${korvel_byte3}.${korvel_byte4} CACHE STRING
  "Loopback address of the test receiver")
# The receiver's state (sockets, inbox) lives in a short folder of its own under /tmp, not in
# the build folder: smbd's sockets must fit a Unix socket path (108 bytes), and its message
# command runs as the guest account, which cannot reach into a home folder of mode 0700.
string(SUBSTRING ${korvel_build_hash} 4 12 korvel_receiver_id)
set(korvel_receiver_state /tmp/korvel-receiver-${korvel_receiver_id})
if(WIN32)
  set(korvel_receiver_inbox "Z:${korvel_receiver_state}/inbox")
else()
  set(korvel_receiver_inbox "${korvel_receiver_state}/inbox")
endif()
set(KORVEL_RECEIVER_ENVIRONMENT
  "KORVEL_RECEIVER=${KORVEL_RECEIVER_ADDRESS};KORVEL_RECEIVER_INBOX=${korvel_receiver_inbox}")
add_test(NAME receiver_start COMMAND ${CMAKE_SOURCE_DIR}/tools/receiver.sh start
  ${korvel_receiver_state} ${KORVEL_RECEIVER_ADDRESS})
add_test(NAME receiver_stop COMMAND ${CMAKE_SOURCE_DIR}/tools/receiver.sh stop
  ${korvel_receiver_state})
set_tests_properties(receiver_start PROPERTIES FIXTURES_SETUP receiver)
set_tests_properties(receiver_stop PROPERTIES FIXTURES_CLEANUP receiver)
