# The label-printer output: EPL2 streams checked against golden files, and the devices over real
# files, sockets and the CUPS client.

briskal_test(labelprinter_tests ${CMAKE_CURRENT_LIST_DIR}/labelprinter_test.cpp)
target_link_libraries(labelprinter_tests PRIVATE briskal_hostkit briskal_test_files)
