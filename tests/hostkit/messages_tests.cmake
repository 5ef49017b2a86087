# The host's message catalogue, message boxes and log file, checked against the shipped catalogues;
# the catalogues checked against the texts the forms' layouts and the desktop's code put on screen.

briskal_test(messages_tests ${CMAKE_CURRENT_LIST_DIR}/messages_test.cpp)
target_link_libraries(messages_tests PRIVATE briskal_hostkit)
target_compile_definitions(messages_tests PRIVATE
  BRISKAL_MESSAGES_DIR="${PROJECT_SOURCE_DIR}/data/messages"
  BRISKAL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
