# The label-printer output: EPL2 streams checked against golden files, and the devices over real
# files, sockets and the CUPS client. BRISKAL_UPDATE_GOLDEN=1 rewrites the golden files for review.

briskal_test(labelprinter_tests ${CMAKE_CURRENT_LIST_DIR}/labelprinter_test.cpp)
target_link_libraries(labelprinter_tests PRIVATE briskal_hostkit)
target_compile_definitions(labelprinter_tests PRIVATE BRISKAL_GOLDEN_DIR="${CMAKE_CURRENT_LIST_DIR}/golden")
